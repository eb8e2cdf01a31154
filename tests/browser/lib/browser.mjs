// The system Chromium, started headless through playwright-core with a fresh profile.
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';

export const CHROMIUM_ARGS = [
    '--no-sandbox',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--no-first-run',
    '--disable-gpu',
];

export function chromiumPath() {
    return process.env.VELTRANO_CHROMIUM || '/usr/bin/chromium';
}

// playwright-core from the node_modules folder that the test installed.
export function loadPlaywright(modulesDir) {
    const require = createRequire(path.join(modulesDir, 'package.json'));
    return require('playwright-core');
}

export async function launch(playwright) {
    const executablePath = chromiumPath();
    if (!fs.existsSync(executablePath))
        throw new Error(`Chromium not found at ${executablePath} (scripts/install-deps installs it)`);
    // launch() starts the browser with a new temporary profile each time.
    return playwright.chromium.launch({ executablePath, headless: true, args: CHROMIUM_ARGS });
}
