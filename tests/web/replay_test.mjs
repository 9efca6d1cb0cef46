// A seeded, scripted run in the page shows, pixel for pixel, the frames engine-headless makes at the
// same game times. engine-headless runs natively (build/game) and engine-replay (build-web/replay) in
// headless Chromium, with the same seed, script and shot times; each shot of the page is the canvas's
// pixels read back after the backend drew the frame, each of engine-headless's a PNG decoded by
// ImageMagick; their RGB bytes must be equal, and both runs must make the same procedure calls and
// frames in the same virtual time.
//   node tests/web/replay_test.mjs [--native DIR] [--replay DIR] [--page-seed N]
// --page-seed gives the page another seed than engine-headless's, to see the comparison fail.
import {execFileSync, spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const option = (name, fallback) => {
    const at = process.argv.indexOf(name);
    return at > 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
};
const nativeDir = path.resolve(option('--native', path.join(root, 'build/game')));
const replayDir = path.resolve(option('--replay', path.join(root, 'build-web/replay')));
const seed = '5';
const pageSeed = option('--page-seed', seed);
const runMs = '10000';
const shotTimes = [10, 1500, 3500, 5000, 7000, 8500, 9990];

// Clicks and moves, fire held, two weapons, missiles, a diver, the spark trail, the autopilot.
const script = `300 move 512 600
400 ldown
450 lup
2600 move 400 500
2800 move 640 450
3000 ldown
3200 key 0x42
3300 key 0x53
3400 rdown
3450 rup
3600 move 300 420
4200 key 0x4D
4500 lup
4600 key 0x46
5000 key 0x41
5100 ldown
6500 rdown
6550 rup
7500 key 0x57
8000 lup
8100 ldown
9000 rdown
9050 rup
`;

function fail(message) {
    console.error(`replay_test: ${message}`);
    process.exit(1);
}

for (const file of [path.join(nativeDir, 'engine-headless'), path.join(replayDir, 'replay.html')])
    if (!fs.existsSync(file)) fail(`${file} is missing (build it first: scripts/build.sh, scripts/build-web.sh)`);

// engine-headless in a folder of its own: the data files and the script, no stored score.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kestra-replay-'));
for (const file of ['tiles.bmp', 'sprites.bmp', 'text.bmp', 'song.mid'])
    fs.copyFileSync(path.join(nativeDir, file), path.join(work, file));
fs.writeFileSync(path.join(work, 'script.txt'), script);
const shotArgs = name => shotTimes.flatMap(ms => ['--shot', `${ms}:${name}${ms}.png`]);
const args = seed => ['--seed', seed, '--run-ms', runMs, '--script', 'script.txt', ...shotArgs('shot')];
const native = spawnSync(path.join(nativeDir, 'engine-headless'), args(seed), {cwd: work, encoding: 'utf8'});
if (native.status !== 0) fail(`engine-headless ended with ${native.status}: ${native.stderr}`);
const nativeResult = JSON.parse(native.stdout);

// The replay folder and the script, from 127.0.0.1.
const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};
const server = http.createServer((request, response) => {
    const name = path.basename(new URL(request.url, 'http://x').pathname);
    const file = path.join(replayDir, name);
    const body = name === 'script.txt' ? script : fs.existsSync(file) ? fs.readFileSync(file) : null;
    response.writeHead(body === null ? 404 : 200, {'Content-Type': types[path.extname(name)] || 'text/plain'});
    response.end(body === null ? '' : body);
});
await new Promise(listening => server.listen(0, '127.0.0.1', listening));

const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu'],
});
let failures = 0;
try {
    const page = await browser.newPage();
    page.on('console', message => console.log(`  page: ${message.text()}`));
    page.on('pageerror', error => console.log(`  page error: ${error.message}`));
    const query = args(pageSeed).map(encodeURIComponent).join('&');
    const started = Date.now();
    await page.goto(`http://127.0.0.1:${server.address().port}/replay.html?${query}`);
    await page.waitForFunction(() => (window.Module && Module.kestraReplay && Module.kestraReplay.result) ||
                                   document.querySelector('dialog.message-box'),
                               {timeout: 300000, polling: 100});
    const dialog = await page.evaluate(() => document.querySelector('dialog.message-box')?.innerText);
    if (dialog) throw new Error(`the page shows a message box (it waits for its OK): ${dialog}`);
    const pageResult = await page.evaluate(() => Module.kestraReplay.result);
    console.log(`engine-headless: ${native.stdout.trim()}`);
    console.log(`page (${Date.now() - started} ms): ${JSON.stringify(pageResult)}`);
    for (const key of ['calls', 'frames', 'virtual_ms', 'exit']) {
        if (pageResult[key] === nativeResult[key]) continue;
        console.log(`DIFFERS: ${key} ${pageResult[key]} in the page, ${nativeResult[key]} from engine-headless`);
        ++failures;
    }

    const shotCount = await page.evaluate(() => Module.kestraReplay.shots.length);
    if (shotCount !== shotTimes.length) {
        console.log(`DIFFERS: the page kept ${shotCount} shots, not ${shotTimes.length}`);
        ++failures;
    }
    for (let i = 0; i < shotCount; ++i) {
        // The canvas's RGB bytes, and whether every pixel was opaque.
        const shot = await page.evaluate(index => {
            const {name, ms, width, height, rgba} = Module.kestraReplay.shots[index];
            const rgb = new Uint8Array(width * height * 3);
            let opaque = true;
            for (let p = 0; p < width * height; ++p) {
                rgb.set(rgba.subarray(4 * p, 4 * p + 3), 3 * p);
                opaque = opaque && rgba[4 * p + 3] === 255;
            }
            let text = '';
            for (let at = 0; at < rgb.length; at += 0x8000)
                text += String.fromCharCode.apply(null, rgb.subarray(at, at + 0x8000));
            return {name, ms, width, height, opaque, rgb: btoa(text)};
        }, i);
        const pixels = Buffer.from(shot.rgb, 'base64');
        const png = path.join(work, shot.name);
        const expected = execFileSync('convert', [png, '-depth', '8', 'rgb:-'], {maxBuffer: 64 << 20});
        let differing = 0, first = -1;
        for (let p = 0; 3 * p < Math.max(pixels.length, expected.length); ++p) {
            if (pixels.subarray(3 * p, 3 * p + 3).equals(expected.subarray(3 * p, 3 * p + 3))) continue;
            if (first < 0) first = p;
            ++differing;
        }
        const label = `shot ${shot.name} (page frame at ${shot.ms} ms, ${shot.width} x ${shot.height})`;
        if (differing === 0 && shot.opaque && pixels.length === 1024 * 768 * 3) {
            console.log(`${label}: every pixel identical`);
            continue;
        }
        ++failures;
        const colour = (bytes, p) => '#' + bytes.subarray(3 * p, 3 * p + 3).toString('hex').padEnd(6, '-');
        console.log(`DIFFERS: ${label}: ${differing} pixels differ` +
                    (first < 0 ? '' : `, the first at (${first % shot.width}, ${Math.floor(first / shot.width)}):` +
                                      ` engine-headless ${colour(expected, first)}, page ${colour(pixels, first)}`) +
                    (shot.opaque ? '' : '; the canvas has pixels that are not opaque'));
    }
} finally {
    await browser.close();
    server.close();
    fs.rmSync(work, {recursive: true, force: true});
}
console.log(failures ? `replay_test: FAILED (${failures})` : 'replay_test: passed');
process.exit(failures ? 1 : 0);
