// The working folder (the corpus and the generated large pages as sources, one output folder
// per option set, filled by the batch tool), playwright-core from the lock file, and a static
// file server on the loopback address.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';

// Windows-1252; its five undefined bytes stand for the control characters of the same number.
const HIGH = '€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8dŽ\x8f\x90‘’“”•–—˜™š›œ\x9džŸ';
export const decodeCp1252 = (bytes) =>
    Array.from(bytes, (b) => (b >= 0x80 && b < 0xa0 ? HIGH[b - 0x80] : String.fromCharCode(b))).join('');
// Characters 128 to 159 of Windows-1252 as the control characters of the same number.
export const toC1 = (s) =>
    s.replace(/[^\x00-\xff]/g, (c) => (HIGH.includes(c) ? String.fromCharCode(0x80 + HIGH.indexOf(c)) : c));

// A large page from a fixed seed (a small linear congruential generator), in Windows-1252 with
// CR LF line ends: blocks of sets.json with their {i}ndex, {s}entences, {w}ords and {n}umbers.
function largePage({ bytes, seed }, data) {
    let state = seed >>> 0;
    const next = (n) => ((state = (Math.imul(state, 1103515245) + 12345) >>> 0) >>> 8) % n;
    const word = () => data.largeWords[next(data.largeWords.length)];
    const fill = { s: () => Array.from({ length: 6 + next(10) }, word).join(' ') + '.', w: word, n: () => next(1000) };
    let text = data.largeHead.map((l) => l.replace('{bytes}', bytes) + '\r\n').join('');
    for (let i = 1; text.length < bytes; i++) {
        const block = data.largeBlocks[next(data.largeBlocks.length)];
        text += block.map((l) => l.replace(/\{(\w)\}/g, (_, k) => (k === 'i' ? i : fill[k]())) + '\r\n').join('');
    }
    return Buffer.from(text + data.largeFoot.join('\r\n'), 'latin1');
}

// Copies the corpus and writes the large pages to work/src; returns the page names.
export function prepareSources(corpus, work, data) {
    fs.rmSync(work, { recursive: true, force: true });
    fs.cpSync(corpus, path.join(work, 'src'), { recursive: true });
    for (const p of data.largePages) fs.writeFileSync(path.join(work, 'src', p.name), largePage(p, data));
    return fs.readdirSync(path.join(work, 'src')).filter((f) => /\.html?$/i.test(f)).sort();
}

// Converts every page with one option set into work/out/<id> through a project file (the mode
// on the command line beside it). Returns what went wrong, or null.
export function convert(batch, work, pages, set, data) {
    const out = path.join(work, 'out', set.id);
    const project = path.join(work, `${set.id}.vtp`);
    fs.mkdirSync(out, { recursive: true });
    const o = { ...set.options, txtPath: out };
    const fields = data.project.map((l) => l.replace(/\{(\w+)\}/g, (_, k) => o[k]));
    const lines = [...fields, ...pages.map((p) => path.join(work, 'src', p))];
    fs.writeFileSync(project, Buffer.from(lines.map((l) => l + '\r\n').join(''), 'latin1'));
    const args = set.modern ? ['--modern', project] : [project];
    const run = spawnSync(batch, args, { encoding: 'utf8', timeout: 300000 });
    const missing = pages.filter((p) => !fs.existsSync(path.join(out, p)));
    if (run.status !== 0 || missing.length)
        return `veltrano-batch ${args.join(' ')}: exit ${run.status ?? run.error}, ${missing.length} pages missing: ` +
            `${(run.stderr ?? '') + (run.stdout ?? '')}`.trim().slice(0, 300);
    // Style sheets, scripts and images travel with the pages, as a webmaster uploads them.
    fs.cpSync(path.join(work, 'src', 'assets'), path.join(out, 'assets'), { recursive: true });
    return null;
}

// playwright-core, installed with npm ci into a folder of the build tree once per lock file.
export function loadPlaywright(testDir, dir) {
    const lock = fs.readFileSync(path.join(testDir, 'package-lock.json'));
    const stamp = path.join(dir, 'node_modules', '.veltrano-lock');
    if (!fs.existsSync(stamp) || !fs.readFileSync(stamp).equals(lock)) {
        fs.mkdirSync(dir, { recursive: true });
        for (const f of ['package.json', 'package-lock.json'])
            fs.copyFileSync(path.join(testDir, f), path.join(dir, f));
        const env = { ...process.env, PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD: '1' };
        const npm = ['ci', '--no-audit', '--no-fund', '--loglevel=error'];
        const run = spawnSync('npm', npm, { cwd: dir, stdio: 'inherit', env });
        if (run.status !== 0) throw new Error(`npm ci in ${dir} failed (${run.status ?? run.error})`);
        fs.writeFileSync(stamp, lock);
    }
    return createRequire(path.join(dir, 'package.json'))('playwright-core');
}

// Pages go out without a charset, as a plain web server sends them, so the browser decides the
// encoding from the page itself.
export function serve(root) {
    const types = { '.htm': 'text/html', '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.gif': 'image/gif' };
    const server = http.createServer((req, res) => {
        const file = path.join(root, decodeURIComponent(new URL(req.url, 'http://127.0.0.1').pathname));
        fs.readFile(file, (err, data) => {
            if (err || !file.startsWith(root + path.sep)) return res.writeHead(404).end();
            const type = types[path.extname(file).toLowerCase()] ?? 'application/octet-stream';
            res.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' }).end(data);
        });
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}
