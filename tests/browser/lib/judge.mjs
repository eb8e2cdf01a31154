// What a visitor sees of a page, and the verdict on each page x option set: equal, differing
// only in the ways data/expectations.json names, or a fault.
import fs from 'node:fs';
import { decodeCp1252, toC1 } from './setup.mjs';

// Runs in the page before its scripts: every script error, also one a handler of the page hides.
export function watchErrors() {
    window.errorsSeen = [];
    addEventListener('error', (e) => window.errorsSeen.push(e.message));
}

// Runs in the page. White space is collapsed everywhere, as a reader does not see it; the
// comments the conversion adds (the fake message, the mark of the script form) are left out.
export function pageView(added) {
    const ws = (s) => String(s ?? '').replace(/\s+/g, ' ').trim();
    const fields = [...document.querySelectorAll('input, select, textarea, button')];
    const frames = [...document.querySelectorAll('frame, iframe')].map((f) => ws(f.contentDocument?.body?.innerText));
    const comments = [];
    for (const w = document.createTreeWalker(document, NodeFilter.SHOW_COMMENT); w.nextNode();)
        comments.push(ws(w.currentNode.data));
    return {
        title: ws(document.title),
        text: ws(document.body?.innerText),
        links: document.links.length,
        images: document.images.length,
        fields: fields.length,
        values: fields.map((f) => ws(f.value)).join(' | '),
        frames: frames.join(' | '),
        compatMode: document.compatMode,
        comments: comments.filter((c) => !added.includes(c)).join('\n'),
        errors: window.errorsSeen.join('\n'),
    };
}

const KEYS = ['title', 'text', 'links', 'images', 'fields', 'values', 'frames'];
// With the mode on the page also keeps its rendering mode and comments and throws nothing new.
const MODERN_KEYS = [...KEYS, 'compatMode', 'comments', 'errors'];

const TRANSFORMS = {
    c1: toC1,
    asCp1252: (s) => decodeCp1252(Buffer.from(s, 'utf8')),
    noSpace: (s) => s.replace(/\s+/g, ''),
    without: (s, ...texts) => texts.reduce((t, x) => t.split(x).join(' '), s).replace(/\s+/g, ' ').trim(),
    upTo: (s, marker) => (s.includes(marker) ? s.slice(0, s.indexOf(marker) + marker.length) : s),
    none: () => '',
};

// Where each pass rewrites which part of a page (p.headEnd: the page has a head end).
const nativ = (o) => o.chkNativ !== 0;
const java = (o) => o.chkJava !== 0;
const WHEN = {
    // The native pass encodes the body once the head has ended, and everything with chkSeo clear.
    nativeBody: (o, p) => nativ(o) && (o.chkSeo === 0 || p.headEnd),
    nativeHead: (o) => nativ(o) && o.chkSeo === 0,
    // The script table writes a character itself where the native pass left it as it was.
    tableBody: (o, p) => java(o) && !WHEN.nativeBody(o, p),
    tableHead: (o, p) => java(o) && !(o.chkSeo === 1 && p.headEnd) && !WHEN.nativeHead(o),
    encodedBody: (o, p) => java(o) || WHEN.nativeBody(o, p),
    encodedHead: (o, p) => WHEN.tableHead(o, p) || WHEN.nativeHead(o),
    // Line breaks that only survive into the native pass while chkZange leaves them in place.
    nativeBodyNoZange: (o, p) => WHEN.nativeBody(o, p) && o.chkZange === 0,
    // The script form keeps a readable head in front of the header; elsewhere the header leads.
    headFirst: (o) => java(o) && o.chkSeo === 1,
    always: () => true,
};

export function makeJudge(expect) {
    const reasonsFor = (page, set) => {
        const p = { headEnd: !expect.noHeadEnd.includes(page) };
        const mode = set.modern ? 'on' : 'off';
        const inMode = (id) => (expect.reasons[id].modes ?? ['off']).includes(mode);
        const holds = ([id, when]) => inMode(id) && WHEN[when](set.options, p);
        return [...new Set((expect.pages[page] ?? []).filter(holds).map(([id]) => id))];
    };
    // The view in which the given reasons no longer count; for the original, first what the
    // reasons make of it.
    const seen = (view, reasons, parts) => {
        const out = { ...view };
        for (const part of parts)
            for (const id of reasons)
                for (const [key, [fn, ...args]] of Object.entries(expect.reasons[id][part] ?? {}))
                    out[key] = TRANSFORMS[fn](String(out[key]), ...args);
        return out;
    };
    return (page, set, original, converted) => {
        const failed = original.failed ?? converted.failed;
        if (failed) return { status: 'fault', detail: failed };
        const reasons = reasonsFor(page, set);
        const keys = set.modern ? MODERN_KEYS : KEYS;
        const raw = keys.filter((k) => original[k] !== converted[k]);
        const a = seen(original, reasons, ['original', 'view']);
        const b = seen(converted, reasons, ['converted', 'view']);
        const left = keys.filter((k) => a[k] !== b[k]);
        const detail = left.map((k) => describe(k, original[k], converted[k])).join('; ');
        if (left.length) return { status: 'fault', detail };
        if (reasons.length && !raw.length)
            return { status: 'fault', detail: `expected a difference (${reasons.join(', ')}) that did not show` };
        return { status: raw.length ? 'by-design' : 'equal', reasons };
    };
}

// Where two values part, for failure messages.
function describe(key, expected, actual) {
    const [a, b] = [String(expected), String(actual)];
    let i = 0;
    while (i < a.length && a[i] === b[i]) i++;
    const clip = (s) => s.slice(Math.max(0, i - 40), i + 120);
    return `${key} differs at ${i}: expected "${clip(a)}" got "${clip(b)}"`;
}

export function summary(results, sets) {
    const rs = results.filter((r) => sets.includes(r.set));
    const n = (s) => rs.filter((r) => r.status === s).length;
    return `${rs.length} combinations (${rs.length / sets.length} pages x ${sets.length} option sets): ` +
        `${n('equal')} equal, ${n('by-design')} differ for a named reason, ${n('fault')} faults`;
}

// The table page x option set, with the mode's verdicts in one column, as Markdown.
export function writeReport(file, pages, sets, results, protection, data, expect) {
    const [off, on] = [false, true].map((m) => sets.filter((s) => !!s.modern === m));
    const cell = (r) => ({ equal: '=', fault: '**FAULT**' })[r.status] ?? r.reasons.join(' ');
    const lines = [...expect.report.intro, '',
        `**Mode off: ${summary(results, off)}. Mode "Moderne Seiten" on: ${summary(results, on)}.** ` +
        `Protection checks: ${protection.filter((c) => c.ok).length} of ${protection.length} passed.`,
        '', '## Option sets', '', '| Set | Options |', '|---|---|',
        ...off.map((s) => `| ${s.id} | ${data.shown.map((k) => `${k.slice(3)}=${s.options[k]}`).join(' ')} |`),
        '', '## Results', '', ...expect.report.legend, '',
        `| Page | ${off.map((s) => s.id).join(' | ')} | Moderne Seiten |`,
        `|---|${off.map(() => '---|').join('')}---|`];
    for (const page of pages) {
        const at = (s) => results.find((r) => r.page === page && r.set === s);
        const groups = {};
        for (const r of on.map(at).filter((r) => r.status !== 'equal'))
            (groups[cell(r)] ??= []).push(r.set.id.slice(7));
        const modern = Object.entries(groups).map(([c, ids]) => `${ids.length < on.length ? ids : 'all'}: ${c}`);
        lines.push(`| ${page} | ${off.map((s) => cell(at(s))).join(' | ')} | ${modern.join('<br>') || '='} |`);
    }
    lines.push('', '## Named differences', '', '| Code | Reason | Combinations |', '|---|---|---|');
    for (const [id, reason] of Object.entries(expect.reasons))
        lines.push(`| ${id} | ${reason.why} | ${results.filter((r) => r.reasons?.includes(id)).length} |`);
    const faults = results.filter((r) => r.status === 'fault');
    if (faults.length) lines.push('', '## Faults', '', ...faults.map((r) => `- ${r.page} [${r.set.id}]: ${r.detail}`));
    lines.push('', '## Notes', '', ...expect.report.notes);
    lines.push('', '## Protection script', '', '| Check | Result |', '|---|---|');
    const verdict = (c) => (c.ok ? 'passed' : 'FAILED: ' + c.detail.replace(/\s+/g, ' ').slice(0, 200));
    lines.push(...protection.map((c) => `| ${c.name} | ${verdict(c)} |`));
    fs.writeFileSync(file, lines.join('\n') + '\n');
}
