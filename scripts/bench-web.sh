#!/usr/bin/env bash
# The browser's figures, side by side with the native ones of the same machine
# in the same run (a benchmark, not a test; it asserts nothing):
#   frame cost: the busy script of scripts/bench.sh, seeded, run natively by
#     engine-headless and in headless Chromium by engine-replay (the same
#     engine on the browser backend, build-web/replay/), each RUNS times,
#     interleaved; medians per presented frame;
#   first frame: navigation start to the site's first putImageData
#     (build-web/site/index.html, fresh page, no cache), median of LOADS;
#   size: the site's files and bytes.
#   scripts/bench-web.sh     (RUNS=3 LOADS=5 VIRTUAL_MS=30000 by default)
# Needs the native build (build/) and the web build (build-web/), which it
# brings up to date, and puppeteer-core in tests/web/node_modules.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
NATIVE=${NATIVE_BUILD_DIR:-build}
WEB=${WEB_BUILD_DIR:-build-web}
RUNS=${RUNS:-3}
LOADS=${LOADS:-5}
VIRTUAL_MS=${VIRTUAL_MS:-30000}
if [ ! -d tests/web/node_modules/puppeteer-core ]; then
  echo "bench-web: puppeteer-core is missing: run scripts/setup.sh web" >&2
  exit 2
fi

scripts/build-web.sh >/dev/null
cmake --build "$NATIVE" -j "${JOBS:-2}" --target engine-headless prog assets >/dev/null

WORK=$(mktemp -d /tmp/kestra-bench-web-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
for f in tiles.bmp sprites.bmp text.bmp song.mid; do cp "$NATIVE/game/$f" "$WORK/"; done

source "$ROOT/scripts/busy-script.sh"
busy_script "$VIRTUAL_MS" >"$WORK/busy.txt"

echo "Running the browser's figures (a few minutes) ..." >&2
cd tests/web  # where puppeteer-core is found
NATIVE_GAME="$ROOT/$NATIVE/game" REPLAY="$ROOT/$WEB/replay" SITE="$ROOT/$WEB/site" WORK="$WORK" RUNS="$RUNS" \
  LOADS="$LOADS" VIRTUAL_MS="$VIRTUAL_MS" node --input-type=module <<'EOF'
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const {NATIVE_GAME, REPLAY, SITE, WORK, RUNS, LOADS, VIRTUAL_MS} = process.env;
const script = fs.readFileSync(path.join(WORK, 'busy.txt'));
const args = ['--seed', '5', '--run-ms', VIRTUAL_MS, '--script', 'busy.txt'];
const median = values => [...values].sort((a, b) => a - b)[Math.floor((values.length - 1) / 2)];

// The replay folder (with the script) and the site, from 127.0.0.1.
const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
const server = http.createServer((request, response) => {
    const [, folder, name] = new URL(request.url, 'http://x').pathname.split('/');
    const file = path.join(folder === 'site' ? SITE : REPLAY, path.basename(name || ''));
    const body = folder === 'replay' && name === 'busy.txt' ? script : fs.existsSync(file) ? fs.readFileSync(file) : null;
    response.writeHead(body ? 200 : 404, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    response.end(body || '');
});
await new Promise(listening => server.listen(0, '127.0.0.1', listening));
const origin = `http://127.0.0.1:${server.address().port}`;
const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
                                        args: ['--no-sandbox', '--disable-gpu']});

const native = [], page = [];
for (let run = 0; run < Number(RUNS); ++run) {
    const start = process.hrtime.bigint();
    const result = spawnSync(path.join(NATIVE_GAME, 'engine-headless'), args, {cwd: WORK, encoding: 'utf8'});
    const wallMs = Number(process.hrtime.bigint() - start) / 1e6;
    if (result.status !== 0) throw new Error(`engine-headless ended with ${result.status}: ${result.stderr}`);
    native.push({wallMs, frames: JSON.parse(result.stdout).frames});

    const tab = await browser.newPage();
    await tab.goto(`${origin}/replay/replay.html?${args.map(encodeURIComponent).join('&')}`);
    await tab.waitForFunction(() => window.Module && Module.kestraReplay && Module.kestraReplay.result,
                              {timeout: 600000, polling: 200});
    page.push(await tab.evaluate(() => Module.kestraReplay.result));
    await tab.close();
}
if (page.some(result => result.frames !== native[0].frames))
    console.error(`bench-web: the page presented ${page.map(r => r.frames)} frames, engine-headless ${native[0].frames}`);

// Navigation start to the first frame the site draws, each load a fresh page with no cache.
const firstFrame = [];
for (let load = 0; load < Number(LOADS); ++load) {
    const tab = await browser.newPage();
    await tab.setCacheEnabled(false);
    await tab.evaluateOnNewDocument(() => {
        const put = CanvasRenderingContext2D.prototype.putImageData;
        CanvasRenderingContext2D.prototype.putImageData = function(...rest) {
            if (window.firstFrameMs === undefined) window.firstFrameMs = performance.now();
            return put.apply(this, rest);
        };
    });
    await tab.goto(`${origin}/site/index.html`);
    await tab.waitForFunction(() => window.firstFrameMs !== undefined, {timeout: 60000, polling: 20});
    firstFrame.push(await tab.evaluate(() => window.firstFrameMs));
    await tab.close();
}
await browser.close();
server.close();

const perFrame = (runs, key) => median(runs.map(r => r[key] / r.frames));
const nativeMs = perFrame(native, 'wallMs');
const wallMs = perFrame(page, 'wall_ms'), presentMs = perFrame(page, 'present_ms');
const yieldMs = perFrame(page, 'yield_ms');
const engineMs = median(page.map(r => (r.wall_ms - r.present_ms - r.yield_ms) / r.frames));
const files = fs.readdirSync(SITE).map(name => fs.statSync(path.join(SITE, name)).size);
const bytes = files.reduce((a, b) => a + b, 0);
const rows = [
    [`frames per run (busy script, ${VIRTUAL_MS} virtual ms, seed 5)`, native[0].frames, '', '-'],
    ['native engine-headless: whole frame (game, render; no present)', nativeMs.toFixed(3), 'ms', '-'],
    ['page engine-replay: whole frame, all of it', wallMs.toFixed(3), 'ms', '-'],
    ['  game and render (the engine and module in wasm)', engineMs.toFixed(3), 'ms', '-'],
    ['  present (RGB565 to RGBA, putImageData)', presentMs.toFixed(3), 'ms', '-'],
    ['  the page\'s turns (two per frame)', yieldMs.toFixed(3), 'ms', '-'],
    ['page game and render / native', (engineMs / nativeMs).toFixed(2), 'x', '-'],
    ['page render plus present / native', ((engineMs + presentMs) / nativeMs).toFixed(2), 'x', '< 3x'],
    ['page whole frame / native', (wallMs / nativeMs).toFixed(2), 'x', '-'],
    [`site: navigation start to first frame (median of ${LOADS})`, median(firstFrame).toFixed(0), 'ms', '< 1000 ms'],
    ['site: files', files.length, '', '-'],
    ['site: bytes', bytes, 'B', '< 3 MB'],
];
console.log(`\n${'figure'.padEnd(64)} ${'value'.padStart(10)}  ${'unit'.padEnd(4)}  target`);
console.log('-'.repeat(92));
for (const [label, value, unit, target] of rows)
    console.log(`${label.padEnd(64)} ${String(value).padStart(10)}  ${unit.padEnd(4)}  ${target}`);
EOF
