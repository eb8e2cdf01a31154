// The protection script at work in the browser: context menu, selection, printing, the
// readable head, the fake comment, the noscript notice and the failing error-handler line.
import { decodeCp1252 } from './cp1252.mjs';
import { FAKE_TEXT, JAVA_TEXT } from './optionsets.mjs';

const FAKE = `<!--${FAKE_TEXT}-->`;
const NOTICE = 'Diese Seite wurde mit Veltrano [3.00] verschlüsselt';

// Counts the calls of setInterval, so a started clipboard clearing would show.
function watchIntervals() {
    window.__intervals = [];
    const original = window.setInterval;
    window.setInterval = function (handler, ...rest) {
        window.__intervals.push(String(handler));
        return original.call(this, handler, ...rest);
    };
}

// Runs in the page: dispatches the events the script guards against.
function guardedEvents() {
    const target = document.querySelector('p, td') || document.body;
    const fire = (type, init) => {
        const e = new MouseEvent(type, { bubbles: true, cancelable: true, view: window, ...init });
        target.dispatchEvent(e);
        return e.defaultPrevented;
    };
    return {
        contextmenu: fire('contextmenu', { button: 2, buttons: 2 }),
        mousedown: fire('mousedown', { button: 0, buttons: 1 }),
    };
}

// Runs in the page after its own scripts: watches what the print handlers do to the elements.
function watchPrinting() {
    const all = () => [...document.getElementsByTagName('*')];
    window.__print = {
        handlers: [window.onbeforeprint?.name ?? null, window.onafterprint?.name ?? null],
        elements: all().length,
        textBefore: document.body.innerText.trim().length,
    };
    window.addEventListener('beforeprint', () => {
        __print.hiddenDuring = all().filter((e) => e.style.visibility === 'hidden' && e.id === 'vtx').length;
        __print.textDuring = document.body.innerText.trim().length;
    });
    window.addEventListener('afterprint', () => {
        __print.hiddenAfter = all().filter((e) => e.style.visibility === 'hidden').length;
        __print.textAfter = document.body.innerText.trim().length;
    });
}

async function dragSelects(tab) {
    const box = await tab.locator('h1, h2, p, td').first().boundingBox();
    await tab.mouse.move(box.x + 2, box.y + box.height / 2);
    await tab.mouse.down();
    await tab.mouse.move(box.x + box.width - 2, box.y + box.height / 2, { steps: 5 });
    await tab.mouse.up();
    return tab.evaluate(() => window.getSelection().toString().length > 0);
}

export async function protectionChecks(browser, origin) {
    const checks = [];
    const check = (name, ok, detail = '') => checks.push({ name, ok: !!ok, detail: ok ? '' : detail });
    const source = async (rel) => decodeCp1252(Buffer.from(await (await fetch(`${origin}/${rel}`)).arrayBuffer()));

    const context = await browser.newContext();
    await context.addInitScript(watchIntervals);
    const open = async (rel) => {
        const tab = await context.newPage();
        const errors = [];
        tab.on('pageerror', (e) => errors.push(e.message));
        await tab.goto(`${origin}/${rel}`, { waitUntil: 'load' });
        return { tab, errors };
    };

    try {
        // Context menu and selection start, with the guards on, off and dimmed.
        for (const [set, page, guarded] of [
            ['defaults', 'html5-start.htm', true], ['java-off', 'html5-start.htm', true],
            ['defaults', 'ohne-head.htm', true], ['all-off', 'tabellen.htm', false],
            ['guards-off', 'html5-start.htm', false], ['dimmed', 'html5-start.htm', false],
            // chkSel adds code to functions that only chkRClick = 1 installs as handlers.
            ['sel-only', 'html5-start.htm', false],
        ]) {
            const { tab } = await open(`out/${set}/${page}`);
            const ev = await tab.evaluate(guardedEvents);
            const selects = await dragSelects(tab);
            const what = guarded ? 'cancelled' : 'left alone';
            check(`${set}/${page}: context menu ${what}`, ev.contextmenu === guarded,
                `defaultPrevented of contextmenu was ${ev.contextmenu}`);
            check(`${set}/${page}: selection start ${what}`, ev.mousedown === guarded && selects !== guarded,
                `defaultPrevented of mousedown was ${ev.mousedown}, a drag selected text: ${selects}`);
            await tab.close();
        }
        {
            const { tab } = await open('src/html5-start.htm');
            const ev = await tab.evaluate(guardedEvents);
            const selects = await dragSelects(tab);
            check('original page: context menu and selection work (control)',
                !ev.contextmenu && !ev.mousedown && selects, JSON.stringify({ ...ev, selects }));
            await tab.close();
        }

        // Printing (a real print to PDF): chkPrint = 1 hides every element before printing
        // and shows them again after.
        for (const [set, on] of [['defaults', true], ['java-off', true], ['guards-off', false], ['dimmed', false]]) {
            const { tab } = await open(`out/${set}/html5-start.htm`);
            await tab.evaluate(watchPrinting);
            await tab.pdf();
            const r = await tab.evaluate(() => window.__print);
            if (on) {
                check(`${set}: printing hides every element (empty printout), afterwards they show again`,
                    r.handlers[0] === 'noprint' && r.handlers[1] === 'printe' &&
                    r.hiddenDuring === r.elements && r.textDuring === 0 && r.hiddenAfter === 0 &&
                    r.textAfter === r.textBefore && r.textBefore > 0, JSON.stringify(r));
            } else {
                check(`${set}: no print handlers without chkPrint = 1, the printout shows the page`,
                    r.handlers[0] === null && r.handlers[1] === null && r.hiddenDuring === 0 &&
                    r.textDuring === r.textBefore && r.textBefore > 0, JSON.stringify(r));
            }
            await tab.close();
        }

        // The served source: readable head, fake comment.
        const title = '<title>Bäckerei Müller – Startseite</title>';
        {
            const s = await source('out/defaults/html5-start.htm');
            const headEnd = s.indexOf('</head>') + '</head>'.length;
            check('defaults: the head opens the source readable with chkSeo = 1, the fake comment right after it',
                s.startsWith('<!DOCTYPE html>') && s.indexOf(title) > 0 && s.indexOf(title) < headEnd &&
                s.startsWith(FAKE, headEnd), s.slice(0, 300));
        }
        {
            // Without the script form the header comes first, and the native pass leaves the head as it is.
            const s = await source('out/nativ-seo/html5-start.htm');
            check('nativ-seo: the head stays readable in the source with chkSeo = 1',
                s.startsWith(FAKE) && s.includes(title) && !s.includes('Willkommen bei'), s.slice(0, 300));
        }
        for (const [set, page] of [['seo-off', 'html5-start.htm'], ['java-off', 'html5-start.htm'],
            ['dimmed', 'html5-start.htm'], ['defaults', 'ohne-head.htm']]) {
            const s = await source(`out/${set}/${page}`);
            check(`${set}/${page}: the fake comment is the first thing in the source`,
                s.startsWith(FAKE + '\r\n'), s.slice(0, 120));
        }
        for (const set of ['seo-off', 'dimmed']) {
            const s = await source(`out/${set}/html5-start.htm`);
            check(`${set}: the title is not readable in the source`, !s.includes('Bäckerei Müller'),
                'the title text stands in the source');
        }

        {
            // A stray double quote opens a quoted run: the native pass leaves the text after it
            // as it is, so it stays readable in the source (the browser shows the same).
            const s = await source('out/nativ-only/anfuehrungszeichen.htm');
            check('nativ-only/anfuehrungszeichen.htm: text after a stray double quote stays readable in the source',
                s.includes('" Monitor kostet bei uns nur 199 Euro.') && !s.includes('Ein 19'),
                s.slice(s.indexOf('<body>'), s.indexOf('<body>') + 200));
        }

        // The failing assignment of the error handler, and a page that still works.
        for (const [set, page] of [['defaults', 'html5-start.htm'], ['java-off', 'script-inline.htm'],
            ['all-off', 'html5-start.htm']]) {
            const { tab, errors } = await open(`out/${set}/${page}`);
            const r = await tab.evaluate(() => ({
                onerror: window.onerror,
                intervals: window.__intervals.filter((h) => h.includes('clipboardData')).length,
                functions: [typeof bErr, typeof clearClipB, typeof noprint, typeof printe]
                    .every((t) => t === 'function'),
                text: document.body.innerText.length,
            }));
            const blockErrors = errors.filter((m) => /blockError is not defined/.test(m)).length;
            check(`${set}/${page}: window.onerror = blockError fails once, no handler, no clipboard clearing`,
                blockErrors === 1 && r.onerror === null && r.intervals === 0 && r.functions && r.text > 0,
                JSON.stringify({ errors, ...r }));
            await tab.close();
        }
    } catch (e) {
        check('protection checks ran to the end', false, e.message);
    } finally {
        await context.close();
    }

    // Without script: the noscript notice, and nothing of the encoded page.
    const noScript = await browser.newContext({ javaScriptEnabled: false });
    try {
        for (const [page, hidden] of [['html5-start.htm', 'Willkommen'], ['ohne-head.htm', 'Seite ohne Kopfbereich']]) {
            const tab = await noScript.newPage();
            await tab.goto(`${origin}/out/defaults/${page}`, { waitUntil: 'load' });
            const text = await tab.evaluate(() => document.body.innerText);
            check(`scripts disabled, ${page}: the noscript notice shows, the page does not`,
                text.includes(JAVA_TEXT) && text.includes(NOTICE) && !text.includes(hidden), text.slice(0, 300));
            await tab.close();
        }
    } catch (e) {
        check('noscript checks ran to the end', false, e.message);
    } finally {
        await noScript.close();
    }
    return checks;
}
