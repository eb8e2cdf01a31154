// What a visitor sees of a page, and the verdict on each page x option set: equal, differing
// only in the ways data/expectations.json names, or a fault.
import fs from 'node:fs';
import { decodeCp1252, toC1 } from './setup.mjs';

// Runs in the page. White space is collapsed everywhere, as a reader does not see it; the
// comments the conversion adds (the fake message, the mark of the script form) are left out.
export function pageView(added) {
    const ws = (s) => String(s ?? '').replace(/\s+/g, ' ').trim();
    const fields = [...document.querySelectorAll('input, select, textarea, button')];
    // A frame of another origin has no document here and counts as empty.
    const frame = (f) => ws(f.contentDocument?.body?.innerText);
    const comments = [];
    for (const w = document.createTreeWalker(document.documentElement, NodeFilter.SHOW_COMMENT); w.nextNode();)
        comments.push(ws(w.currentNode.data));
    return {
        title: ws(document.title),
        text: ws(document.body?.innerText),
        links: document.links.length,
        images: document.images.length,
        fields: fields.length,
        values: fields.map((f) => ws(f.value)).join(' | '),
        frames: [...document.querySelectorAll('frame, iframe')].map(frame).join(' | '),
        compatMode: document.compatMode,
        comments: comments.filter((c) => !added.includes(c)).join('\n'),
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
    replace: (s, from, to) => s.split(from).join(to),
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
    // The header leads the output unless the script form keeps a readable head in front of it.
    headerFirst: (o) => !(java(o) && o.chkSeo === 1),
    always: () => true,
};

export function makeJudge(expect) {
    const reasonsFor = (page, set) => {
        const p = { headEnd: !expect.noHeadEnd.includes(page) };
        const mode = set.modern ? 'on' : 'off';
        const holds = ([id, when]) => (expect.reasons[id].modes ?? ['off']).includes(mode) && WHEN[when](set.options, p);
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
        if (original.failed || converted.failed) return { status: 'fault', detail: original.failed || converted.failed };
        const reasons = reasonsFor(page, set);
        const keys = set.modern ? MODERN_KEYS : KEYS;
        const raw = keys.filter((k) => original[k] !== converted[k]);
        const a = seen(original, reasons, ['original', 'view']);
        const b = seen(converted, reasons, ['converted', 'view']);
        const left = keys.filter((k) => a[k] !== b[k]);
        if (left.length) return { status: 'fault', reasons, detail: left.map((k) => describe(k, original[k], converted[k])).join('; ') };
        if (reasons.length && !raw.length) return { status: 'fault', detail: `expected a difference (${reasons.join(', ')}) that did not show` };
        return { status: raw.length ? 'by-design' : 'equal', reasons };
    };
}

// Where two values part, for failure messages.
function describe(key, expected, actual) {
    if (typeof expected !== 'string' || typeof actual !== 'string') return `${key}: expected ${expected}, got ${actual}`;
    let i = 0;
    while (i < expected.length && expected[i] === actual[i]) i++;
    const clip = (s) => (s.length > 160 ? s.slice(0, 160) + '…' : s);
    const from = Math.max(0, i - 40);
    return `${key} differs at ${i}: expected "${clip(expected.slice(from))}" got "${clip(actual.slice(from))}"`;
}

export function summary(results, sets) {
    const rs = results.filter((r) => sets.includes(r.set));
    const n = (s) => rs.filter((r) => r.status === s).length;
    return `${rs.length} combinations (${rs.length / sets.length} pages x ${sets.length} option sets): ` +
        `${n('equal')} equal, ${n('by-design')} differ for a named reason, ${n('fault')} faults`;
}

// The table page x option set, with the mode's verdicts in one column, as Markdown.
export function writeReport(file, pages, sets, results, protection, data, expect) {
    const off = sets.filter((s) => !s.modern);
    const on = sets.filter((s) => s.modern);
    const cell = (r) => ({ equal: '=', fault: '**FAULT**' })[r.status] ?? r.reasons.join(' ');
    const lines = [...expect.report.intro, '',
        `**Mode off: ${summary(results, off)}. Mode "Moderne Seiten" on: ${summary(results, on)}.** ` +
        `Protection checks: ${protection.filter((c) => c.ok).length} of ${protection.length} passed.`,
        '', '## Option sets', '', '| Set | Options |', '|---|---|',
        ...off.map((s) => `| ${s.id} | ${data.shown.map((k) => `${k.slice(3)}=${s.options[k]}`).join(' ')} |`),
        '', '## Results', '', ...expect.report.legend, '', `| Page | ${off.map((s) => s.id).join(' | ')} | Moderne Seiten |`, `|---|${off.map(() => '---|').join('')}---|`];
    for (const page of pages) {
        const at = (s) => results.find((r) => r.page === page && r.set === s);
        const groups = {};
        for (const r of on.map(at).filter((r) => r.status !== 'equal')) (groups[cell(r)] ??= []).push(r.set.id.slice(7));
        const modern = Object.entries(groups).map(([c, ids]) => `${ids.length === on.length ? 'all' : ids.join(' ')}: ${c}`);
        lines.push(`| ${page} | ${off.map((s) => cell(at(s))).join(' | ')} | ${modern.join('<br>') || '='} |`);
    }
    lines.push('', '## Named differences', '', '| Code | Reason | Combinations |', '|---|---|---|');
    for (const [id, reason] of Object.entries(expect.reasons))
        lines.push(`| ${id} | ${reason.why} | ${results.filter((r) => r.status === 'by-design' && r.reasons.includes(id)).length} |`);
    const faults = results.filter((r) => r.status === 'fault');
    if (faults.length) lines.push('', '## Faults', '', ...faults.map((r) => `- ${r.page} [${r.set.id}]: ${r.detail}`));
    lines.push('', '## Notes', '', ...expect.report.notes, '', '## Protection script', '', '| Check | Result |', '|---|---|');
    for (const c of protection) lines.push(`| ${c.name} | ${c.ok ? 'passed' : 'FAILED: ' + c.detail.replace(/\s+/g, ' ').slice(0, 200)} |`);
    fs.writeFileSync(file, lines.join('\n') + '\n');
}
