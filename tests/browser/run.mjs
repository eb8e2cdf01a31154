// Converts the corpus with every option set through the batch tool, with the mode "Moderne
// Seiten" off and on, loads originals and converted pages in Chromium, and checks that a visitor
// sees the same, apart from the differences the conversion makes on purpose; then checks the
// protection script in the page.
//
//   node run.mjs --batch PATH --work DIR --modules DIR [--report FILE] [--jobs N]
//
// Exit status 0 when every check passed. Chromium missing: status 1 in CI, else 77 (skipped).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import { convert, loadPlaywright, prepareSources, serve } from './lib/setup.mjs';
import { makeJudge, pageView, summary, watchErrors, writeReport } from './lib/judge.mjs';
import { protectionChecks } from './lib/protection.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const str = { type: 'string' };
const opts = { batch: str, work: str, modules: str, report: str, jobs: { ...str, default: '2' } };
const { values: args } = parseArgs({ options: opts });
const missing = ['batch', 'work', 'modules'].filter((a) => !args[a]);
if (missing.length) throw new Error(`run.mjs: --${missing.join(', --')} missing`);
const chromium = process.env.VELTRANO_CHROMIUM || '/usr/bin/chromium';
if (!fs.existsSync(chromium)) {
    console.error(`Chromium not found at ${chromium}; scripts/install-deps installs it.`);
    process.exit(process.env.CI === 'true' ? 1 : 77);
}
const json = (name) => JSON.parse(fs.readFileSync(path.join(here, 'data', name), 'utf8'));
const [data, expect, protection] = ['sets', 'expectations', 'protection'].map((n) => json(`${n}.json`));
const playwright = loadPlaywright(here, path.resolve(args.modules));

const work = path.resolve(args.work);
const pages = prepareSources(path.join(here, 'corpus'), work, data);
const plain = data.sets.map(({ id, render, ...c }) => ({ id, render, options: { ...data.defaults, ...c } }));
const sets = [...plain, ...plain.map((s) => ({ ...s, id: `modern-${s.id}`, modern: true }))];
for (const set of sets) set.failed = convert(path.resolve(args.batch), work, pages, set, data);
console.log(`converted ${pages.length} pages with ${sets.length} option sets`);
for (const set of sets.filter((s) => s.failed)) console.log(`FAIL ${set.id}: ${set.failed}`);

const server = await serve(work);
const origin = `http://127.0.0.1:${server.address().port}`;
const flags = ['--no-sandbox', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--no-first-run', '--disable-gpu'];
const browser = await playwright.chromium.launch({ executablePath: chromium, headless: true, args: flags });
let exitCode = 1;
try {
    // Every load is one job; a few tabs of the one browser share them.
    const render = sets.filter((s) => s.render);
    const jobs = pages.flatMap((p) => [`src/${p}`, ...render.filter((s) => !s.failed).map((s) => `out/${s.id}/${p}`)]);
    const views = new Map();
    const context = await browser.newContext();
    await context.addInitScript(watchErrors);
    const load = (tab, rel) => tab.goto(`${origin}/${rel}`, { waitUntil: 'load', timeout: 120000 })
        .then(() => tab.evaluate(pageView, expect.addedComments))
        .catch((e) => ({ failed: `${rel} could not be loaded: ${e.message.split('\n')[0]}` }));
    const worker = async () => {
        const tab = await context.newPage();
        for (let rel; (rel = jobs.shift());) views.set(rel, await load(tab, rel));
        await tab.close();
    };
    await Promise.all(Array.from({ length: Math.max(1, Number(args.jobs)) }, worker));
    await context.close();

    const judge = makeJudge(expect);
    const converted = (p, s) => views.get(`out/${s.id}/${p}`) ?? { failed: s.failed };
    const results = pages.flatMap((p) => render.map((s) =>
        ({ page: p, set: s, ...judge(p, s, views.get(`src/${p}`), converted(p, s)) })));
    const checks = await protectionChecks(browser, origin, protection.rows);

    const failures = [...results.filter((r) => r.status === 'fault').map((r) => `${r.page} [${r.set.id}]: ${r.detail}`),
        ...checks.filter((c) => !c.ok).map((c) => `protection: ${c.name}: ${c.detail}`)];
    for (const on of [false, true])
        console.log(`mode ${on ? 'on' : 'off'}: ${summary(results, render.filter((s) => !!s.modern === on))}`);
    for (const c of checks) console.log(`${c.ok ? 'ok  ' : 'FAIL'} ${c.name}${c.ok ? '' : ': ' + c.detail}`);
    for (const f of failures) console.log(`FAIL ${f}`);
    if (args.report) writeReport(path.resolve(args.report), pages, render, results, checks, data, expect);
    console.log(`${results.length + checks.length - failures.length} passed, ${failures.length} failed`);
    exitCode = failures.length ? 1 : 0;
} finally {
    await browser.close();
    server.close();
}
process.exit(exitCode);
