// What the browser page's tests share: a site folder served on 127.0.0.1 by a plain static server, the
// page in Debian's headless Chromium (puppeteer-core), its canvas and dialogs, the native build's checks,
// and waits on conditions with deadlines.
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm'};

// Serves `folder` as any static web server would, but answers 404 for the file names in `without`.
export async function serve(folder, without = []) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://host').pathname).replace(/\/$/, '/index.html');
    const file = path.join(folder, path.normalize(name));
    fs.readFile(without.includes(path.basename(file)) ? '' : file, (error, data) => {
      response.writeHead(error ? 404 : 200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
      response.end(error ? '' : data);
    });
  });
  await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
  return {url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close()};
}

// Resolves what `promise` gives, or fails with `what` once `deadline` (Date.now() units) has passed: a
// page whose script never yields answers nothing at all.
function by(deadline, what, promise) {
  promise.catch(() => {});  // a late failure, once the deadline has won, is nobody's
  let timer;
  const late = new Promise((_, fail) => {
    const error = new Error(`${what}: the page did not answer in time`);
    timer = setTimeout(() => fail(error), Math.max(0, deadline - Date.now()));
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// Runs `condition` until it gives a truthy value, which it returns; fails after `seconds` with `what` and
// what the condition last put in seen.last.
export const seen = {last: ''};
export async function waitFor(what, condition, seconds = 60) {
  const deadline = Date.now() + seconds * 1000;
  seen.last = '';
  for (;;) {
    const value = await by(deadline + 5000, what, condition());
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`${what}: not within ${seconds} s; last seen: ${seen.last}`);
    await new Promise((tick) => setTimeout(tick, 100));  // the polling interval
  }
}

// The site at `url` in a 1024 x 768 window of headless Chromium; the page's console is echoed.
export async function openPage(url) {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic'],
    defaultViewport: {width: 1024, height: 768},
    protocolTimeout: 60000,
  });
  const page = await browser.newPage();
  page.on('console', (message) => console.log(`page: ${message.text()}`));
  page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
  await page.goto(url);
  // A page that has stopped answering can keep the browser from closing.
  const close = () => by(Date.now() + 10000, 'closing', browser.close()).catch(() => browser.process().kill('SIGKILL'));
  return {close, page};
}

// The native build's tools: screen_check, and the message boxes engine-headless shows.
export function nativeTools(nativeBuild) {
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kestra-web-'));
  return {
    work,
    // Whether the canvas shows what `screen_check SHOT GAME_DIR ...what` checks (its output in seen.last).
    async shows(page, gameDir, ...what) {
      const png = await page.evaluate(() => document.getElementById('screen').toDataURL('image/png'));
      const shot = path.join(work, 'shot.png');
      fs.writeFileSync(shot, Buffer.from(png.split(',')[1], 'base64'));
      const check = spawnSync(`${nativeBuild}/tests/windows/screen_check`, [shot, gameDir, ...what],
                              {encoding: 'utf8'});
      seen.last = check.stdout + check.stderr;
      return check.status === 0;
    },
    // The [caption, text] pairs that `engine` (an engine-headless; a bare name: one of the files) shows,
    // started in a folder holding copies of `files` and run for half a virtual second.
    boxes(files, engine) {
      const folder = fs.mkdtempSync(path.join(work, 'native-'));
      for (const file of files) fs.copyFileSync(file, path.join(folder, path.basename(file)));
      const run = spawnSync(path.resolve(folder, engine), ['--run-ms', '500', '--seed', '1'],
                            {cwd: folder, encoding: 'utf8'});
      return JSON.parse(run.stdout.trim().split('\n').pop()).boxes;
    },
    remove: () => fs.rmSync(work, {recursive: true, force: true}),
  };
}

// Answers the page's message dialogs, which must be `want` ([caption, text] pairs) in order, each by its
// OK button; then the page must answer again with no dialog left.
export async function answerDialogs(page, want) {
  for (const [i, box] of want.entries()) {
    const shown = await waitFor(`dialog ${i + 1} of ${want.length}`, () => page.evaluate(() => {
      const dialog = document.querySelector('dialog.message-box[open]');
      if (!dialog || dialog.dataset.answered) return null;
      dialog.dataset.answered = 'yes';
      return [dialog.querySelector('h1').textContent, dialog.querySelector('p').textContent];
    }));
    if (JSON.stringify(shown) !== JSON.stringify(box)) {
      throw new Error(`dialog ${i + 1} is ${JSON.stringify(shown)}, not ${JSON.stringify(box)}`);
    }
    await by(Date.now() + 20000, `OK on dialog ${i + 1}`, page.click('dialog.message-box[data-answered] button'));
  }
  const left = await waitFor('the page answering after its dialogs', () => page.evaluate(() =>
      !document.querySelector('dialog[data-answered]') && {count: document.querySelectorAll('dialog').length}), 20);
  if (left.count) throw new Error(`${left.count} more dialogs after ${JSON.stringify(want)}`);
}

// Clicks the page at (x, y), which takes Pointer Lock for the canvas; returns once the page has heard so
// (its pointerlockchange listeners, the backend's first, have run): relative motion counts from then on.
export async function clickToLock(page, x, y) {
  await page.evaluate(() => document.addEventListener('pointerlockchange', () => {
    window.lockedForTest = document.pointerLockElement === document.getElementById('screen');
  }, {once: true}));
  await page.mouse.click(x, y);
  await waitFor('Pointer Lock on the canvas', () => page.evaluate(() => window.lockedForTest));
}
