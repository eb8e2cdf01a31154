// Windows-1252, the code page of every page file. Its five undefined bytes stand for the control
// characters of the same number.
const HIGH = '€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8dŽ\x8f\x90‘’“”•–—˜™š›œ\x9džŸ';

export function decodeCp1252(bytes) {
    let s = '';
    for (const b of bytes) s += b >= 0x80 && b < 0xa0 ? HIGH[b - 0x80] : String.fromCharCode(b);
    return s;
}

export function encodeCp1252(text) {
    const out = Buffer.alloc(text.length);
    for (let i = 0; i < text.length; i++) {
        const c = text.charCodeAt(i);
        const high = HIGH.indexOf(text[i]);
        if (high >= 0) out[i] = 0x80 + high;
        else if (c < 0x100) out[i] = c;
        else throw new Error(`character U+${c.toString(16)} is not in Windows-1252`);
    }
    return out;
}
