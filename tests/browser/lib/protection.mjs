// The protection script at work in the browser, one row of data/protection.json at a time:
// context menu, selection, printing, the errors the page throws, the served source, and the
// page with scripts disabled.
import zlib from 'node:zlib';
import { watchErrors } from './judge.mjs';
import { decodeCp1252 } from './setup.mjs';

// Runs in the page: whether the page cancels a context-menu event.
const menuCancelled = () => !(document.querySelector('p, td') ?? document.body)
    .dispatchEvent(new MouseEvent('contextmenu', { bubbles: true, cancelable: true, view: window, button: 2 }));

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

// The served bytes as a browser reads them: UTF-8 after a byte-order mark, else Windows-1252.
const served = (b) =>
    (b.subarray(0, 3).equals(Buffer.from([0xef, 0xbb, 0xbf])) ? b.subarray(3).toString() : decodeCp1252(b));

async function checkRow(context, origin, row) {
    const url = `${origin}/${row.url}`;
    const problems = [];
    const expect = (key, got) =>
        JSON.stringify(got) === JSON.stringify(row[key]) || problems.push(`${key}: ${JSON.stringify(got)}`);
    // Patterns a text must match, and texts it must not hold.
    const look = (what, s, must = [], mustNot = []) => {
        const bad = [...must.filter((p) => !new RegExp(p).test(s)).map((p) => `${what} does not match /${p}/`),
            ...mustNot.filter((t) => s.includes(t)).map((t) => `${what} holds "${t}"`)];
        if (bad.length) problems.push(...bad, `${what}: "${s.slice(0, 300)}"`);
    };
    const tab = await context.newPage();
    await tab.goto(url, { waitUntil: 'load' });
    const text = () => tab.evaluate(() => document.body.innerText);
    if ('menu' in row) expect('menu', await tab.evaluate(menuCancelled));
    if ('select' in row) expect('select', !(await dragSelects(tab)));
    if ('blankPrint' in row) {
        const before = await text();
        expect('blankPrint', !pdfHasText(await tab.pdf()));
        const after = await text();
        if (!before.trim() || after !== before) problems.push(`text before printing "${before}", after "${after}"`);
    }
    if ('errors' in row) {
        await tab.waitForTimeout(200); // a started interval would throw by then
        expect('errors', await tab.evaluate(() => window.errorsSeen));
    }
    if (row.source || row.notInSource)
        look('source', served(Buffer.from(await (await fetch(url)).arrayBuffer())), row.source, row.notInSource);
    if (row.text || row.notInText) look('text', await text(), row.text, row.notInText);
    return problems;
}

export async function protectionChecks(browser, origin, rows) {
    const checks = [];
    for (const row of rows) {
        const what = Object.entries(row).filter(([k]) => k !== 'url').map(([k, v]) => (v === !!v ? `${k} ${v}` : k));
        const context = await browser.newContext({ javaScriptEnabled: row.script !== false });
        await context.addInitScript(watchErrors);
        const problems = await checkRow(context, origin, row).catch((e) => [e.message.split('\n')[0]]);
        checks.push({ name: `${row.url}: ${what.join(', ')}`, ok: !problems.length, detail: problems.join('; ') });
        await context.close();
    }
    return checks;
}
