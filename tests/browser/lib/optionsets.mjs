// The option sets every corpus page is converted with, and the project file that hands one of
// them with a list of pages to the batch tool.
import fs from 'node:fs';
import { encodeCp1252 } from './cp1252.mjs';

export const FAKE_TEXT = 'Error 404, file not found!';
export const JAVA_TEXT =
    'Diese Webseite benötigt Javaskript um korrekt dargestellt werden zu können.';

const DEFAULTS = {
    chkNativ: 1, chkZange: 1, chkJava: 1, chkLine: 1, chkFake: 1,
    chkRClick: 1, chkSel: 1, chkPrint: 1, chkSeo: 1,
    chkNewFiles: true, chkOverwrite: false, chkBkup: 1,
    txtStart: '200', txtEnd: '200', txt404: FAKE_TEXT, txtJava: JAVA_TEXT,
};

const ENCODING = ['chkNativ', 'chkJava', 'chkZange', 'chkSeo'];

function set(id, label, changes) {
    return { id, label, options: { ...DEFAULTS, ...changes } };
}

function only(field) {
    const changes = {};
    for (const f of ENCODING) changes[f] = f === field ? 1 : 0;
    return changes;
}

// The sets of the render comparison: the defaults, each encoding option switched off around
// them, each encoding pass alone, and everything off.
export const RENDER_SETS = [
    set('defaults', 'Voreinstellung', {}),
    set('nativ-off', 'chkNativ aus', { chkNativ: 0 }),
    set('java-off', 'chkJava aus', { chkJava: 0 }),
    set('zange-off', 'chkZange aus', { chkZange: 0 }),
    set('seo-off', 'chkSeo aus', { chkSeo: 0 }),
    set('nativ-only', 'nur chkNativ', only('chkNativ')),
    set('nativ-seo', 'chkNativ und chkSeo', { ...only('chkNativ'), chkSeo: 1 }),
    set('java-only', 'nur chkJava', only('chkJava')),
    set('zange-only', 'nur chkZange', only('chkZange')),
    set('all-off', 'alles aus', {
        chkNativ: 0, chkZange: 0, chkJava: 0, chkLine: 0, chkFake: 0,
        chkRClick: 0, chkSel: 0, chkPrint: 0, chkSeo: 0,
    }),
];

// Extra sets for the checks of the protection script.
export const PROTECTION_SETS = [
    set('guards-off', 'Schutzskript ohne Optionen', { chkRClick: 0, chkSel: 0, chkPrint: 0 }),
    set('dimmed', 'Optionen gedimmt (2)', { chkRClick: 2, chkPrint: 2, chkSeo: 2 }),
    set('sel-only', 'nur chkSel', { chkRClick: 0, chkSel: 1, chkPrint: 0 }),
];

// Writes a project file: version, the check boxes, the output choice, the texts, one page a
// line; Windows-1252 with CR LF after every line.
export function writeProject(file, options, outputFolder, pages) {
    const o = { ...options, txtPath: outputFolder };
    const num = (v) => ` ${v} `;
    const word = (b) => (b ? 'Wahr' : 'Falsch');
    const lines = [
        '3.0.0',
        ...['chkNativ', 'chkZange', 'chkJava', 'chkLine', 'chkFake', 'chkRClick', 'chkSel',
            'chkPrint', 'chkSeo'].map((f) => num(o[f])),
        word(o.chkNewFiles), word(o.chkOverwrite), num(o.chkBkup),
        o.txtStart, o.txtEnd, o.txt404, o.txtJava, o.txtPath,
        ...pages,
    ];
    fs.writeFileSync(file, encodeCp1252(lines.map((l) => l + '\r\n').join('')));
}
