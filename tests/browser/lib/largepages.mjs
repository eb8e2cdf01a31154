// Builds large pages of a given size from a fixed seed: paragraphs of German text with umlauts,
// tables, lists, links, images and a form, with CR LF line ends in Windows-1252.
import { encodeCp1252 } from './cp1252.mjs';

const WORDS = [
    'Bäckerei', 'Müller', 'Straße', 'Größe', 'schön', 'Grüße', 'Öffnungszeiten', 'Käse',
    'und', 'der', 'die', 'das', 'mit', 'für', 'über', 'Verein', 'Mitglieder', 'Übung',
    'Wanderung', 'Frühling', 'Sommerfest', 'heiß', 'Maß', 'Fußball', 'Jahreshauptversammlung',
    'Vorstand', 'Kasse', 'Termine', 'Anfahrt', 'Gaststätte', 'Königsschießen', 'Äpfel',
];

// A small linear congruential generator, so the same seed gives the same page everywhere.
function generator(seed) {
    let state = seed >>> 0;
    return (n) => {
        state = (Math.imul(state, 1103515245) + 12345) >>> 0;
        return (state >>> 8) % n;
    };
}

function sentence(next) {
    const n = 6 + next(10);
    const words = [];
    for (let i = 0; i < n; i++) words.push(WORDS[next(WORDS.length)]);
    return words.join(' ') + '.';
}

function block(next, index) {
    switch (next(5)) {
    case 0:
        return [`<h2>Abschnitt ${index}</h2>`, `<p>${sentence(next)} ${sentence(next)}`,
            `${sentence(next)}</p>`];
    case 1: {
        const rows = [`<table border="1"><caption>Tabelle ${index}</caption>`];
        for (let r = 0; r < 3; r++)
            rows.push(`<tr><td>${WORDS[next(WORDS.length)]}</td><td>${next(1000)},${next(100)} EUR</td></tr>`);
        rows.push('</table>');
        return rows;
    }
    case 2:
        return ['<ul>', `<li><a href="seite${index}.htm">${sentence(next)}</a></li>`,
            `<li>${sentence(next)}</li>`, '</ul>'];
    case 3:
        return [`<p><img src="assets/logo.gif" alt="Bild ${index}"> ${sentence(next)}</p>`];
    default:
        return [`<form action="f${index}.cgi"><input type="text" name="f${index}" value="${WORDS[next(WORDS.length)]}">`,
            `<input type="submit" value="Senden"></form>`];
    }
}

// A page of at least minBytes bytes.
export function largePage(minBytes, seed) {
    const next = generator(seed);
    const lines = ['<!DOCTYPE html>', '<html>', '<head>',
        '<meta charset="windows-1252">', `<title>Große Seite ${minBytes}</title>`, '</head>', '<body>'];
    let size = lines.join('\r\n').length;
    for (let i = 1; size < minBytes; i++) {
        for (const line of block(next, i)) {
            lines.push(line);
            size += line.length + 2;
        }
    }
    lines.push('</body>', '</html>');
    return encodeCp1252(lines.join('\r\n') + '\r\n');
}

export const LARGE_PAGES = [
    { name: 'gross-64k.htm', bytes: 64 * 1024, seed: 1 },
    { name: 'gross-300k.htm', bytes: 300 * 1024, seed: 2 },
];
