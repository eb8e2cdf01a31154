// Converts the corpus with every option set through the batch tool, loads originals and
// converted pages in Chromium, and checks that a visitor sees the same, apart from the
// differences the conversion makes on purpose; then checks the protection script in the page.
//
//   node run.mjs --batch PATH --work DIR --modules DIR [--report FILE] [--jobs N]
//
// Exit status 0 when every check passed. Chromium missing: status 1 in CI, else 77 (skipped).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';
import { ensureModules } from './lib/modules.mjs';
import { chromiumPath, launch, loadPlaywright } from './lib/browser.mjs';
import { convertSet, prepareSources } from './lib/convert.mjs';
import { PROTECTION_SETS, RENDER_SETS } from './lib/optionsets.mjs';
import { startServer } from './lib/server.mjs';
import { pageView } from './lib/measure.mjs';
import { judge } from './lib/judge.mjs';
import { protectionChecks } from './lib/protection.mjs';
import { writeReport } from './lib/report.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const { values: args } = parseArgs({
    options: {
        batch: { type: 'string' },
        work: { type: 'string' },
        modules: { type: 'string' },
        report: { type: 'string' },
        jobs: { type: 'string', default: '2' },
    },
});
for (const a of ['batch', 'work', 'modules']) {
    if (!args[a]) {
        console.error(`run.mjs: --${a} is missing`);
        process.exit(2);
    }
}

if (!fs.existsSync(chromiumPath())) {
    const ci = process.env.CI === 'true';
    console.error(`Chromium not found at ${chromiumPath()}; scripts/install-deps installs it.`);
    process.exit(ci ? 1 : 77);
}

ensureModules(here, path.resolve(args.modules));
const playwright = loadPlaywright(path.resolve(args.modules));

const work = path.resolve(args.work);
const sources = prepareSources(path.join(here, 'corpus'), work);
const sets = [...RENDER_SETS, ...PROTECTION_SETS];
for (const set of sets) convertSet(path.resolve(args.batch), work, sources, set);
console.log(`converted ${sources.pages.length} pages with ${sets.length} option sets`);

const server = await startServer(work);
const browser = await launch(playwright);
let exitCode = 1;
try {
    const context = await browser.newContext();
    const load = async (tab, rel) => {
        const errors = [];
        const onError = (e) => errors.push(e.message);
        tab.on('pageerror', onError);
        try {
            await tab.goto(`${server.origin}/${rel}`, { waitUntil: 'load', timeout: 120000 });
            return { ...(await tab.evaluate(pageView)), errors };
        } catch (e) {
            return { failed: `${rel} could not be loaded: ${e.message.split('\n')[0]}`, errors };
        } finally {
            tab.off('pageerror', onError);
        }
    };

    // Every load is one job; a few tabs of the one browser share them.
    const jobs = [];
    for (const page of sources.pages) {
        jobs.push({ page, set: null, rel: `src/${page}` });
        for (const set of RENDER_SETS) jobs.push({ page, set: set.id, rel: `out/${set.id}/${page}` });
    }
    const views = {};
    let nextJob = 0;
    const worker = async () => {
        const tab = await context.newPage();
        while (nextJob < jobs.length) {
            const job = jobs[nextJob++];
            (views[job.page] ??= {})[job.set ?? 'original'] = await load(tab, job.rel);
        }
        await tab.close();
    };
    await Promise.all(Array.from({ length: Math.max(1, Number(args.jobs)) }, worker));
    await context.close();

    const results = judge(sources.pages, RENDER_SETS, views);
    const protection = await protectionChecks(browser, server.origin);

    const failures = [
        ...results.filter((r) => r.status === 'fault').map((r) => `${r.page} [${r.set}]: ${r.detail}`),
        ...protection.filter((c) => !c.ok).map((c) => `protection: ${c.name}: ${c.detail}`),
    ];
    const count = (s) => results.filter((r) => r.status === s).length;
    console.log(`render: ${count('equal')} equal, ${count('by-design')} differ by design, ` +
        `${count('fault')} faults, over ${sources.pages.length} pages x ${RENDER_SETS.length} option sets`);
    for (const c of protection) console.log(`${c.ok ? 'ok  ' : 'FAIL'} ${c.name}${c.ok ? '' : ': ' + c.detail}`);
    for (const f of failures) console.log(`FAIL ${f}`);
    if (args.report) {
        writeReport(path.resolve(args.report), sources.pages, RENDER_SETS, results, protection);
        console.log(`report written to ${args.report}`);
    }
    const checks = results.length + protection.length;
    console.log(`${checks - failures.length} passed, ${failures.length} failed`);
    exitCode = failures.length ? 1 : 0;
} finally {
    await browser.close();
    server.close();
}
process.exit(exitCode);
