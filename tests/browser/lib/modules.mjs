// Installs playwright-core from the lock file into a folder of the build tree, once per lock.
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';

export function ensureModules(testDir, modulesDir) {
    const lock = fs.readFileSync(path.join(testDir, 'package-lock.json'));
    const stamp = path.join(modulesDir, 'node_modules', '.veltrano-lock');
    if (fs.existsSync(stamp) && fs.readFileSync(stamp).equals(lock)) return;
    fs.mkdirSync(modulesDir, { recursive: true });
    for (const f of ['package.json', 'package-lock.json'])
        fs.copyFileSync(path.join(testDir, f), path.join(modulesDir, f));
    const npm = process.platform === 'win32' ? 'npm.cmd' : 'npm';
    const run = spawnSync(npm, ['ci', '--no-audit', '--no-fund', '--loglevel=error'], {
        cwd: modulesDir,
        stdio: 'inherit',
        env: { ...process.env, PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD: '1' },
    });
    if (run.status !== 0) throw new Error(`npm ci in ${modulesDir} failed (${run.status ?? run.error})`);
    fs.writeFileSync(stamp, lock);
}
