import { decodeCp1252 } from './cp1252.mjs';

// The differences the conversion makes on purpose, per page and option set. Each reason
// names what a visitor sees differently and gives a view of a page in which that difference
// no longer counts (view, applied to both pages) or what becomes of the original (original,
// applied to the original first); a converted page passes when, so seen, it equals the original
// and the raw views do differ.

const C1 = '€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8dŽ\x8f\x90‘’“”•–—˜™š›œ\x9džŸ';
const toC1Controls = (s) =>
    s.replace(/[€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ]/g, (c) => String.fromCharCode(0x80 + C1.indexOf(c)));
// The text as a browser shows UTF-8 bytes read one by one as Windows-1252.
const asCp1252 = (s) => decodeCp1252(Buffer.from(s, 'utf8'));
const noSpace = (s) => s.replace(/\s+/g, '');
const without = (...texts) => (s) =>
    texts.reduce((t, x) => t.split(x).join(' '), s).replace(/\s+/g, ' ').trim();
const upTo = (marker) => (s) => (s.includes(marker) ? s.slice(0, s.indexOf(marker) + marker.length) : s);

export const REASONS = {
    'script-table-128-159': {
        why: 'characters 128 to 159 of Windows-1252 (€ „ “ – …) are written through the script ' +
            'table as String.fromCharCode(code), which gives the control characters U+0080 to ' +
            'U+009F instead',
        view: { text: toC1Controls, values: toC1Controls, frames: toC1Controls },
    },
    'script-table-128-159-title': {
        why: 'the same for the title, where the script table writes the head (no readable head ' +
            'in front: chkSeo not 1, or no head end)',
        view: { title: toC1Controls },
    },
    'script-table-255': {
        why: 'character 255 (ÿ) lies beyond the 255 entries of the script table; the browser ' +
            'writes "undefined" in its place',
        view: { text: (s) => s.replace(/ÿ/g, 'undefined') },
    },
    'utf8-read-as-1252': {
        why: 'a page saved in UTF-8 is read byte by byte in Windows-1252, the code page of every ' +
            'page: each byte of an umlaut becomes a character of its own ("ä" shows as "Ã¤")',
        original: { text: asCp1252 },
    },
    'utf8-read-as-1252-title': {
        why: 'the same for the title, where the head is encoded',
        original: { title: asCp1252 },
    },
    'native-line-breaks': {
        why: 'the native pass encodes the line breaks of readable content and then removes every ' +
            '`&#13;&#10;`: words at line ends, pre and textarea lines run together',
        view: { text: noSpace, values: noSpace, frames: noSpace },
    },
    'native-own-references': {
        why: 'the native pass removes every `&#32;` and `&#13;&#10;` that the page itself holds',
        view: { text: noSpace, values: noSpace },
    },
    'native-comment-runs-on': {
        why: 'the native pass knows no comments: in a comment that holds a `>` (commented-out ' +
            'markup, say) the text after it and the closing `--` are encoded, so the comment no ' +
            'longer ends there and hides the page up to the next `-->` that stands in a tag',
        view: { text: upTo('Sichtbarer Text vor dem Kommentar.') },
    },
    'native-script-with-attributes': {
        why: 'the native pass protects only bare `<script>` elements; the code of a script tag with ' +
            'attributes in encoded content becomes character references and does not run',
        view: { text: without('Angebot: Streuselkuchen', 'Geschrieben vom Skript.') },
    },
    'native-style-in-head': {
        why: 'with chkSeo clear the native pass encodes the head too; the rules of a `<style>` ' +
            'element become character references, which CSS does not read, so hidden text shows',
        view: { text: without('Geheimer Hinweis, per Stil ausgeblendet.') },
    },
};

// Where each pass rewrites which part of a page, for these options.
const nativ = (o) => o.chkNativ !== 0;
const java = (o) => o.chkJava !== 0;
// The native pass encodes the body once the head has ended, and everything with chkSeo clear.
const nativeBody = (o, p) => nativ(o) && (o.chkSeo === 0 || p.headEnd);
const nativeHead = (o) => nativ(o) && o.chkSeo === 0;
// The script table writes a character itself where the native pass left it as it was.
const tableBody = (o, p) => java(o) && !nativeBody(o, p);
const tableHead = (o, p) => java(o) && !(o.chkSeo === 1 && p.headEnd) && !nativeHead(o);

const CONDITIONS = {
    nativeBody,
    nativeHead,
    tableBody,
    tableHead,
    encodedBody: (o, p) => java(o) || nativeBody(o, p),
    encodedHead: (o, p) => tableHead(o, p) || nativeHead(o),
    // Line breaks that only survive into the native pass while chkZange leaves them in place.
    nativeBodyNoZange: (o, p) => nativeBody(o, p) && o.chkZange === 0,
};

// Per page: whether it has a head end, and its reasons with the condition under which each
// shows. A page not listed must look the same in every option set.
const PAGES = {
    'formular.htm': [['native-line-breaks', 'nativeBodyNoZange']],
    'gross-64k.htm': [['native-line-breaks', 'nativeBodyNoZange']],
    'gross-300k.htm': [['native-line-breaks', 'nativeBodyNoZange']],
    'html5-start.htm': [['native-line-breaks', 'nativeBodyNoZange'],
        ['script-table-128-159-title', 'tableHead']],
    'kommentare.htm': [['native-comment-runs-on', 'nativeBody']],
    'latin1-deklariert.htm': [['native-line-breaks', 'nativeBodyNoZange'],
        ['script-table-128-159', 'tableBody']],
    'listen.htm': [['script-table-128-159', 'tableBody']],
    'nur-body-fragment.htm': [['script-table-128-159', 'tableBody']],
    'pre-block.htm': [['native-line-breaks', 'nativeBody'], ['script-table-128-159', 'tableBody']],
    'quirks-ohne-doctype.htm': [['native-line-breaks', 'nativeBodyNoZange']],
    'referenzen-leerzeichen.htm': [['native-own-references', 'nativeBody']],
    'script-inline.htm': [['native-script-with-attributes', 'nativeBody']],
    'script-nackt.htm': [['native-line-breaks', 'nativeBody']],
    'sonderzeichen-1252.htm': [['script-table-128-159', 'tableBody']],
    'stylesheet-kopf.htm': [['native-style-in-head', 'nativeHead']],
    'textarea-formular.htm': [['native-line-breaks', 'nativeBody']],
    'umlaute-deklariert.htm': [['native-line-breaks', 'nativeBodyNoZange'],
        ['script-table-128-159-title', 'tableHead'], ['script-table-128-159', 'tableBody']],
    'utf8-deklariert.htm': [['utf8-read-as-1252', 'encodedBody'],
        ['utf8-read-as-1252-title', 'encodedHead'], ['script-table-128-159', 'tableBody'],
        ['script-table-128-159-title', 'tableHead']],
    'zeichen-255.htm': [['script-table-255', 'tableBody'], ['script-table-128-159', 'tableBody'],
        ['script-table-128-159-title', 'tableHead']],
    'zeilenende-cr.htm': [['native-line-breaks', 'nativeBody']],
    'zeilenende-gemischt.htm': [['native-line-breaks', 'nativeBodyNoZange']],
    'zeilenende-lf.htm': [['native-script-with-attributes', 'nativeBody']],
};

const NO_HEAD_END = new Set(['ohne-head.htm', 'nur-body-fragment.htm']);

// The reasons (ids, each once) that apply to this page under these options.
export function expectedDifferences(page, options) {
    const p = { headEnd: !NO_HEAD_END.has(page) };
    const ids = (PAGES[page] ?? []).filter(([, when]) => CONDITIONS[when](options, p)).map(([id]) => id);
    return [...new Set(ids)];
}
