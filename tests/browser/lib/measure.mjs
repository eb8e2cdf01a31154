// What a visitor sees of a loaded page, and the comparison of two such views.

// Runs in the page. White space is collapsed everywhere, as a reader does not see it.
export function pageView() {
    const ws = (s) => String(s ?? '').replace(/\s+/g, ' ').trim();
    const fields = [...document.querySelectorAll('input, select, textarea, button')];
    const frames = [...document.querySelectorAll('frame, iframe')].map((f) => {
        try {
            return ws(f.contentDocument?.body?.innerText);
        } catch {
            return '(unreadable)';
        }
    });
    return {
        title: ws(document.title),
        text: ws(document.body?.innerText),
        links: document.links.length,
        images: document.images.length,
        fields: fields.length,
        values: fields.map((f) => ws(f.value)).join(' | '),
        frames: frames.join(' | '),
    };
}

export const VIEW_KEYS = ['title', 'text', 'links', 'images', 'fields', 'values', 'frames'];

// The keys in which two views differ.
export function differences(a, b) {
    return VIEW_KEYS.filter((k) => a[k] !== b[k]);
}

// A short human description of one difference, for failure messages.
export function describe(key, expected, actual) {
    const clip = (s) => {
        s = String(s);
        return s.length > 160 ? s.slice(0, 160) + '…' : s;
    };
    if (typeof expected === 'string' && typeof actual === 'string') {
        let i = 0;
        while (i < expected.length && expected[i] === actual[i]) i++;
        const from = Math.max(0, i - 40);
        return `${key} differs at ${i}: expected "${clip(expected.slice(from))}" got "${clip(actual.slice(from))}"`;
    }
    return `${key}: expected ${expected}, got ${actual}`;
}
