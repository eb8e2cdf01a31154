// Lays out the working folder: the corpus and the generated large pages as sources, and one
// output folder per option set, filled by the batch tool from a project file.
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { writeProject } from './optionsets.mjs';
import { LARGE_PAGES, largePage } from './largepages.mjs';

const PAGE = /\.html?$/i;

export function prepareSources(corpusDir, workDir) {
    fs.rmSync(workDir, { recursive: true, force: true });
    const src = path.join(workDir, 'src');
    fs.mkdirSync(src, { recursive: true });
    fs.cpSync(corpusDir, src, { recursive: true });
    for (const p of LARGE_PAGES) fs.writeFileSync(path.join(src, p.name), largePage(p.bytes, p.seed));
    const pages = fs.readdirSync(src).filter((f) => PAGE.test(f)).sort();
    return { src, pages };
}

// Converts every page with one option set into out/<id>. Throws when the tool fails or leaves
// a page out.
export function convertSet(batchTool, workDir, sources, set) {
    const out = path.join(workDir, 'out', set.id);
    fs.mkdirSync(out, { recursive: true });
    const project = path.join(workDir, `${set.id}.vtp`);
    writeProject(project, set.options, out, sources.pages.map((p) => path.join(sources.src, p)));
    const run = spawnSync(batchTool, [project], { encoding: 'utf8', timeout: 300000 });
    if (run.error) throw new Error(`${batchTool}: ${run.error.message}`);
    if (run.status !== 0)
        throw new Error(`${batchTool} ${project} exited with ${run.status}: ${run.stderr}${run.stdout}`);
    const missing = sources.pages.filter((p) => !fs.existsSync(path.join(out, p)));
    if (missing.length) throw new Error(`option set ${set.id}: no output for ${missing.join(', ')}`);
    // Style sheets, scripts and images travel with the pages, as a webmaster uploads them.
    fs.cpSync(path.join(sources.src, 'assets'), path.join(out, 'assets'), { recursive: true });
    return out;
}
