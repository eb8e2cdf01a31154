// Writes the table page x option set (equal / differs and why) as Markdown.
import fs from 'node:fs';
import { REASONS } from './expectations.mjs';

const SHORT = {
    'script-table-128-159': 'T128',
    'script-table-128-159-title': 'T128t',
    'script-table-255': 'T255',
    'utf8-read-as-1252': 'U8',
    'utf8-read-as-1252-title': 'U8t',
    'native-line-breaks': 'NL',
    'native-own-references': 'NR',
    'native-comment-runs-on': 'NC',
    'native-script-with-attributes': 'NS',
    'native-style-in-head': 'NH',
};

function optionText(o) {
    const f = ['chkNativ', 'chkJava', 'chkZange', 'chkSeo', 'chkLine', 'chkFake', 'chkRClick', 'chkSel', 'chkPrint'];
    return f.map((k) => `${k.slice(3)}=${o[k]}`).join(' ');
}

export function writeReport(file, pages, sets, results, protection) {
    const at = new Map(results.map((r) => [`${r.page}|${r.set}`, r]));
    const count = (s) => results.filter((r) => r.status === s).length;
    const lines = [
        '# Converted pages in the browser',
        '',
        'Written by `make browser-report` from the browser tests in `tests/browser`: every page of',
        'the test corpus, converted by `veltrano-batch` with each option set, loaded in headless',
        'Chromium next to the original and compared in what a visitor sees (the text of the body',
        'with white space collapsed, the title, the number of links, images and form fields, the',
        'values of the form fields and the text of frames).',
        '',
        `**${results.length} combinations: ${count('equal')} equal, ${count('by-design')} differ by design, ` +
            `${count('fault')} faults.** Protection checks: ${protection.filter((c) => c.ok).length} of ` +
            `${protection.length} passed.`,
        '',
        '## Option sets',
        '',
        '| Set | Options |',
        '|---|---|',
        ...sets.map((s) => `| ${s.id} | ${optionText(s.options)} |`),
        '',
        '## Results',
        '',
        '"=" equal; otherwise the codes of the differences the design makes (see below);',
        '"FAULT" a difference the design does not explain.',
        '',
        `| Page | ${sets.map((s) => s.id).join(' | ')} |`,
        `|---|${sets.map(() => '---').join('|')}|`,
    ];
    for (const page of pages) {
        const cells = sets.map((s) => {
            const r = at.get(`${page}|${s.id}`);
            if (r.status === 'equal') return '=';
            if (r.status === 'fault') return '**FAULT**';
            return r.reasons.map((id) => SHORT[id] ?? id).join(' ');
        });
        lines.push(`| ${page} | ${cells.join(' | ')} |`);
    }
    lines.push('', '## Differences by design', '', '| Code | Reason | Combinations |', '|---|---|---|');
    for (const [id, reason] of Object.entries(REASONS)) {
        const n = results.filter((r) => r.status === 'by-design' && r.reasons.includes(id)).length;
        lines.push(`| ${SHORT[id] ?? id} | ${reason.why} | ${n} |`);
    }
    const faults = results.filter((r) => r.status === 'fault');
    if (faults.length) {
        lines.push('', '## Faults', '');
        for (const r of faults) lines.push(`- ${r.page} [${r.set}]: ${r.detail}`);
    }
    lines.push('', '## Notes', '',
        '- The pages are served from 127.0.0.1 without a charset in the HTTP header, as a plain web',
        '  server sends them; the browser takes the encoding from the page or guesses it.',
        '- In this browser `document.all` exists but counts as false, so the protection script takes',
        '  its `getElementById` branch: with chkRClick = 1 the mouse-down and context-menu handlers',
        '  return false (no selection starts, no context menu). chkSel alone adds lines to functions',
        '  that only chkRClick = 1 installs, so it changes nothing here; the dimmed value 2 of',
        '  chkRClick and chkPrint counts as clear for these lines.',
        '- A stray double quote in the text opens a quoted run for the native pass: the text after',
        '  it stays readable in the source and keeps its line breaks; the browser shows the same.',
        '- NC needs attention: commented-out markup such as `<!--<a href=x.htm>alt</a><br>-->` is',
        '  common on real sites, and with the default options everything after it disappears.',
        '- The large pages (gross-*.htm) come from the generator in `tests/browser/lib/largepages.mjs`.');
    lines.push('', '## Protection script', '', '| Check | Result |', '|---|---|');
    for (const c of protection) lines.push(`| ${c.name} | ${c.ok ? 'passed' : 'FAILED: ' + c.detail.replace(/\s+/g, ' ').slice(0, 200)} |`);
    lines.push('');
    fs.writeFileSync(file, lines.join('\n'));
}
