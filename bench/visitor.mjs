// What a visitor pays for the protection: the browser tests' pages (corpus and large pages),
// converted with the default options with the mode "Moderne Seiten" off and on, against their
// originals: bytes on disk, bytes after gzip -9, the load event and the first contentful paint in
// headless Chromium. Each page is loaded five times in each form, the forms taking turns in a
// changing order; a page's time is the median of its loads. Prints, per measure, the median and
// the maximum over the pages of converted / original.
//
//   node visitor.mjs --batch PATH --work DIR --modules DIR [--loads N] [--corpus DIR]
//
// --corpus measures the HTML pages below another folder instead (each page taken on its own,
// its folders joined into its name, as pages without their style sheets and pictures).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import { convert, loadPlaywright, prepareSources, serve } from '../tests/browser/lib/setup.mjs';

const tests = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'tests', 'browser');
const str = { type: 'string' };
const { values: args } = parseArgs({ options: { batch: str, work: str, modules: str, loads: { ...str, default: '5' }, corpus: str } });
if (!args.batch || !args.work || !args.modules) throw new Error('visitor.mjs: --batch, --work and --modules are needed');
const chromium = process.env.VELTRANO_CHROMIUM || '/usr/bin/chromium';
const data = JSON.parse(fs.readFileSync(path.join(tests, 'data', 'sets.json'), 'utf8'));
const playwright = loadPlaywright(tests, path.resolve(args.modules));

const work = path.resolve(args.work);
const pages = args.corpus ? flatCorpus(path.resolve(args.corpus), work) : prepareSources(path.join(tests, 'corpus'), work, data);
const forms = [{ id: 'original', dir: 'src' }, { id: 'off', dir: 'out/off' }, { id: 'on', dir: 'out/on', modern: true }];
for (const f of forms.slice(1)) {
    const failed = convert(path.resolve(args.batch), work, pages, { id: f.id, modern: f.modern, options: data.defaults }, data);
    if (failed) throw new Error(failed);
}

// The pages below a folder, copied side by side into work/src, with an empty assets folder.
function flatCorpus(corpus, dest) {
    fs.rmSync(dest, { recursive: true, force: true });
    fs.mkdirSync(path.join(dest, 'src', 'assets'), { recursive: true });
    const found = fs.readdirSync(corpus, { recursive: true }).filter((f) => /\.html?$/i.test(f)).sort();
    return found.map((f) => {
        const name = f.split(path.sep).join('_').replace(/[^A-Za-z0-9._-]/g, '-');
        fs.copyFileSync(path.join(corpus, f), path.join(dest, 'src', name));
        return name;
    });
}

const file = (f, p) => fs.readFileSync(path.join(work, f.dir, p));
const size = {
    bytes: (f, p) => file(f, p).length,
    gzip: (f, p) => zlib.gzipSync(file(f, p), { level: 9 }).length,
};
const loads = new Map(); // form/page -> { load: [], paint: [] }
const server = await serve(work);
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await playwright.chromium.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--no-first-run', '--disable-gpu'] });
try {
    const context = await browser.newContext();
    const tab = await context.newPage();
    for (let round = 0; round < Number(args.loads); round++) {
        for (const p of pages) {
            // original, off, on; then off, on, original; ...
            for (let k = 0; k < forms.length; k++) {
                const f = forms[(k + round) % forms.length];
                await tab.goto(`${origin}/${f.dir}/${p}`, { waitUntil: 'load', timeout: 120000 });
                // The first paint may come after the load event: waited for, up to three seconds.
                const t = await tab.evaluate(() => new Promise((resolve) => {
                    const done = (paint) => resolve({ load: performance.getEntriesByType('navigation')[0].loadEventStart, paint });
                    new PerformanceObserver((list) => {
                        const fcp = list.getEntriesByName('first-contentful-paint')[0];
                        if (fcp) done(fcp.startTime);
                    }).observe({ type: 'paint', buffered: true });
                    setTimeout(() => done(null), 3000);
                }));
                const m = loads.get(`${f.id}/${p}`) ?? { load: [], paint: [] };
                m.load.push(t.load);
                if (t.paint !== null) m.paint.push(t.paint);
                loads.set(`${f.id}/${p}`, m);
            }
        }
    }
    await context.close();
} finally {
    await browser.close();
    server.close();
}

const median = (xs) => {
    const s = [...xs].sort((a, b) => a - b);
    return s.length ? (s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2) : null;
};
const timed = (key) => (f, p) => median(loads.get(`${f.id}/${p}`)[key]);
const measures = { 'bytes on disk': size.bytes, 'gzip -9': size.gzip, 'load event': timed('load'), 'first contentful paint': timed('paint') };
// Ratios over the pages that have the measure in both forms.
const ratios = (measure, f, some) => some.map((p) => [measure(f, p), measure(forms[0], p)])
    .filter(([a, b]) => a !== null && b !== null && b > 0).map(([a, b]) => a / b);
const row = (name, measure, some) => {
    const cells = forms.slice(1).map((f) => {
        const r = ratios(measure, f, some);
        return r.length ? `${median(r).toFixed(2)} / ${Math.max(...r).toFixed(2)}` : 'n/a';
    });
    return `| ${name} | ${cells.join(' | ')} |`;
};
const large = pages.filter((p) => file(forms[0], p).length >= 16384);
console.log(`Converted / original, median / max over the pages; ${args.loads} loads per page and form, load ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
for (const [title, some] of [[`all ${pages.length} pages`, pages], [`the ${large.length} pages of 16 KB and more (${large.join(', ')})`, large]]) {
    console.log(`\n${title}\n\n| measure | mode off | mode on |\n|---|---|---|`);
    for (const [name, measure] of Object.entries(measures)) console.log(row(name, measure, some));
}
console.log(`\nper page of 16 KB and more, converted / original: mode off; mode on\n\n| page | ${Object.keys(measures).join(' | ')} |\n|---|---|---|---|---|`);
for (const p of large) {
    const cell = (m) => forms.slice(1).map((f) => { const [a, b] = [m(f, p), m(forms[0], p)]; return a !== null && b ? (a / b).toFixed(2) : 'n/a'; }).join('; ');
    console.log(`| ${p} | ${Object.values(measures).map(cell).join(' | ')} |`);
}
const total = (f, m) => pages.reduce((s, p) => s + m(f, p), 0);
console.log(`\nwhole corpus in bytes (gzip -9): ${forms.map((f) => `${f.id} ${total(f, size.bytes)} (${total(f, size.gzip)})`).join(', ')}`);
