// The protection script at work in the browser, one row of data/protection.json at a time:
// context menu, selection, printing, the errors the page throws, the served source, and the
// page with scripts disabled.
import zlib from 'node:zlib';
import { decodeCp1252 } from './setup.mjs';

// Runs in the page: whether the page cancels a context-menu event.
function menuCancelled() {
    const init = { bubbles: true, cancelable: true, view: window, button: 2, buttons: 2 };
    const e = new MouseEvent('contextmenu', init);
    (document.querySelector('p, td') || document.body).dispatchEvent(e);
    return e.defaultPrevented;
}

// Whether a mouse drag across the first text selects anything.
async function dragSelects(tab) {
    const box = await tab.locator('h1, h2, p, td').first().boundingBox();
    await tab.mouse.move(box.x + 2, box.y + box.height / 2);
    await tab.mouse.down();
    await tab.mouse.move(box.x + box.width - 2, box.y + box.height / 2, { steps: 5 });
    await tab.mouse.up();
    return tab.evaluate(() => window.getSelection().toString().length > 0);
}

// Whether a PDF draws text: a text operator in one of its (deflated) content streams.
function pdfHasText(pdf) {
    for (const m of pdf.toString('latin1').matchAll(/stream\r?\n([\s\S]*?)endstream/g)) {
        const raw = Buffer.from(m[1], 'latin1');
        const body = (() => { try { return zlib.inflateSync(raw); } catch { return raw; } })();
        if (/\bT[jJ]\b/.test(body.toString('latin1'))) return true;
    }
    return false;
}

async function checkRow(context, origin, row) {
    const url = `${origin}/${row.url}`;
    const problems = [];
    const expect = (key, got) => JSON.stringify(got) === JSON.stringify(row[key]) || problems.push(`${key}: ${JSON.stringify(got)}`);
    const tab = await context.newPage();
    const errors = [];
    tab.on('pageerror', (e) => errors.push(e.message));
    await tab.goto(url, { waitUntil: 'load' });
    const text = () => tab.evaluate(() => document.body.innerText);
    if ('menu' in row) expect('menu', await tab.evaluate(menuCancelled));
    if ('select' in row) expect('select', !(await dragSelects(tab)));
    if ('blankPrint' in row) {
        const before = await text();
        expect('blankPrint', !pdfHasText(await tab.pdf()));
        const after = await text();
        if (!before.trim() || after !== before) problems.push(`page text before printing "${before.slice(0, 80)}", after "${after.slice(0, 80)}"`);
    }
    if ('errors' in row) {
        await tab.waitForTimeout(200); // a started interval would throw by then
        expect('errors', errors);
    }
    if (row.source || row.notInSource) {
        const bytes = Buffer.from(await (await fetch(url)).arrayBuffer());
        const bom = bytes.subarray(0, 3).equals(Buffer.from([0xef, 0xbb, 0xbf]));
        const s = bom ? bytes.subarray(3).toString('utf8') : decodeCp1252(bytes);
        for (const p of row.source ?? []) if (!new RegExp(p).test(s)) problems.push(`source does not match /${p}/`);
        if (row.notInSource && s.includes(row.notInSource)) problems.push(`source holds "${row.notInSource}"`);
        if (problems.length) problems.push(`source begins "${s.slice(0, 300)}"`);
    }
    if (row.shows || row.hides) {
        const t = await text();
        for (const s of row.shows ?? []) if (!t.includes(s)) problems.push(`text lacks "${s}"`);
        for (const s of row.hides ?? []) if (t.includes(s)) problems.push(`text shows "${s}"`);
        if (problems.length) problems.push(`text: "${t.slice(0, 300)}"`);
    }
    return problems;
}

export async function protectionChecks(browser, origin, rows) {
    const checks = [];
    for (const row of rows) {
        const what = Object.entries(row).filter(([k]) => k !== 'url').map(([k, v]) => (typeof v === 'boolean' ? `${k} ${v}` : k));
        const context = await browser.newContext({ javaScriptEnabled: row.script !== false });
        const problems = await checkRow(context, origin, row).catch((e) => [e.message.split('\n')[0]]);
        checks.push({ name: `${row.url}: ${what.join(', ')}`, ok: !problems.length, detail: problems.join('; ') });
        await context.close();
    }
    return checks;
}
