// The browser page end to end in headless Chromium, one case per run (tests/web/CMakeLists.txt):
//   node web_test.mjs WEB_BUILD NATIVE_BUILD CASE [ARGUMENT]
// The site is WEB_BUILD/site (the starfield module's, WEB_BUILD/starfield); screenshots of the canvas are
// checked by NATIVE_BUILD's screen_check, and the message dialogs the page must show are the boxes that
// NATIVE_BUILD's engine-headless shows in a folder missing the same file. Prints PASS or FAIL: WHY.
import path from 'node:path';

import {answerDialogs, clickToLock, nativeTools, openPage, seen, serve, waitFor} from './page.mjs';

const [webBuild, nativeBuild] = process.argv.slice(2, 4).map((folder) => path.resolve(folder));
const [name, ...args] = process.argv.slice(4);
const site = `${webBuild}/site`, game = `${nativeBuild}/game`;
const dataFiles = ['tiles.bmp', 'sprites.bmp', 'text.bmp', 'song.mid'];
const native = nativeTools(nativeBuild);
const opened = [];

// The page of `folder` served without the files in `without`.
async function open(folder, without = []) {
  const server = await serve(folder, without);
  const session = await openPage(server.url);
  opened.push(server, session);
  return session.page;
}

// What the page shows once the program has ended: it cannot close itself as a desktop window does.
const ended = (page) => waitFor('the page saying the game has ended',
                                () => page.evaluate(() => document.querySelector('p.ended') !== null));
const showsWaiting = (page) => waitFor('the HUD and the waiting panel', () => native.shows(page, site, 'waiting'));

const cases = {
  // The first frames show the HUD lines and the waiting panel where the desktop's do, with no dialog;
  // Escape ends the game.
  async first_frames() {
    const page = await open(site);
    await showsWaiting(page);
    await answerDialogs(page, []);
    await page.keyboard.press('Escape');
    await ended(page);
  },

  // A click takes Pointer Lock and flies the ship in: the panel it ends with replaces the waiting one.
  async fly_in() {
    const page = await open(site);
    await showsWaiting(page);
    await clickToLock(page, 512, 600);
    await waitFor('the fly-in ends', () => native.shows(page, site, 'ready'));
  },

  // The first click starts the tune; leaving Pointer Lock makes the game inactive, as losing focus does on
  // the desktop (the picture holds still), and a click resumes it.
  async pause() {
    const page = await open(site);
    await showsWaiting(page);
    await clickToLock(page, 512, 600);
    await waitFor('the tune playing', () => page.evaluate(
        () => Module.kestraPage.tunes.some((tune) => tune && !tune.audio.paused && tune.audio.currentTime > 0)));
    let last = '';
    const still = async () => {
      const now = await page.evaluate(() => document.getElementById('screen').toDataURL());
      const same = now === last;
      last = now;
      return same;
    };
    await waitFor('the picture moving', async () => !(await still()));
    await page.evaluate(() => document.exitPointerLock());
    await waitFor('the picture holding still', still);
    await clickToLock(page, 512, 600);
    await waitFor('the picture moving again', async () => !(await still()));
  },

  // A played session (autopilot, fire held, clicks to restart) stores a high score that the HUD shows;
  // after a reload the stored file holds that score or more, and the HUD shows it with the score 0.
  async high_score() {
    const page = await open(site);
    const stored = () => page.evaluate(
        () => FS.analyzePath('kestra.cfg').exists ? FS.readFile('kestra.cfg', {encoding: 'utf8'}) : '');
    await showsWaiting(page);
    await clickToLock(page, 512, 600);
    await waitFor('the fly-in ends', () => native.shows(page, site, 'ready'));
    await page.keyboard.press('a');
    await page.mouse.down();
    let clicked = Date.now();
    const best = await waitFor('a high score stored in kestra.cfg', async () => {
      seen.last = await stored();
      if (/^[1-9][0-9]*$/.test(seen.last)) return Number(seen.last);
      if (Date.now() - clicked > 3000) {  // the ship may be down
        await page.mouse.up();
        await page.mouse.down();
        clicked = Date.now();
      }
    }, 120);
    await page.mouse.up();
    await waitFor('the HUD showing the stored score', async () => native.shows(page, site, 'high', await stored()));
    await page.reload();
    await waitFor(`the HUD showing the stored high score (at least ${best}) after a reload`, async () => {
      const again = await stored();
      return Number(again) >= best && native.shows(page, site, 'again', again);
    });
  },

  // A site without the data file FILE shows the boxes the desktop shows without it, in order; without a
  // bitmap nothing is ever drawn, without the song the game plays on.
  async missing_data(file) {
    const others = dataFiles.filter((other) => other !== file).map((other) => `${game}/${other}`);
    const page = await open(site, [file]);
    await answerDialogs(page, native.boxes(others, `${game}/engine-headless`));
    if (file === 'song.mid') {
      await showsWaiting(page);
    } else if (await page.evaluate(() => document.getElementById('screen').getContext('2d')
                                          .getImageData(0, 0, 1024, 768).data.some((value) => value))) {
      throw new Error(`without ${file} the canvas was drawn`);
    }
  },

  // A site without prog.wasm shows the binding's box that the desktop shows without prog.so, naming prog.wasm.
  async missing_module() {
    const want = native.boxes([`${game}/engine-headless`, `${game}/libplatform.so`], 'engine-headless')
      .map(([caption, text]) => [caption, text.replaceAll('prog.so', 'prog.wasm')]);
    await answerDialogs(await open(site, ['prog.wasm']), want);
  },

  // The starfield module in the same page and engine: its boxes as on the desktop, then frames of its sky
  // with falling stars and the ship at the centre; after a click takes Pointer Lock, relative motion of
  // (300, 400) puts the pointer, and the ship's centre, at (300, 400), as on the desktop.
  async starfield() {
    const examples = `${nativeBuild}/examples/starfield`;
    const page = await open(`${webBuild}/starfield`);
    const files = [`${examples}/sprites.bmp`, `${examples}/song.mid`];
    await answerDialogs(page, native.boxes(files, `${examples}/engine-headless`));
    // The sky (0, 0, 6) with stars of its three colours, and the ship's 18 x 24 frame at (x, y).
    const shows = (x, y, unlike = '') => async () => {
      const sky = await page.evaluate((x, y) => {
        const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 1024, 768).data;
        const colours = {'0,0,49': 'sky', '82,81,99': 'star', '165,170,198': 'star', '255,255,255': 'star'};
        const stars = [];
        let other = 0, ship = 0;
        for (let i = 0; i < 1024 * 768; i++) {
          const kind = colours[`${data[4 * i]},${data[4 * i + 1]},${data[4 * i + 2]}`];
          const dx = i % 1024 - x, dy = Math.floor(i / 1024) - y, onShip = dx >= 0 && dx < 18 && dy >= 0 && dy < 24;
          if (kind === 'star' && !onShip) stars.push(i);
          if (!kind) onShip ? ship++ : other++;
        }
        return {stars: stars.join(), count: stars.length, other, ship};
      }, x, y);
      seen.last = `${sky.count} star pixels, ${sky.ship} of the ship, ${sky.other} of neither elsewhere`;
      return sky.count > 200 && sky.other === 0 && sky.ship > 100 && sky.stars !== unlike && sky;
    };
    const first = await waitFor('the sky, its stars and the ship at the centre', shows(503, 372));
    await waitFor('the stars falling', shows(503, 372, first.stars));
    await clickToLock(page, 100, 100);
    await page.mouse.move(400, 500, {steps: 10});
    await waitFor('the ship at the pointer', shows(291, 388));
  },
};

try {
  if (!cases[name]) throw new Error(`no case ${name}; the cases: ${Object.keys(cases).join(' ')}`);
  await cases[name](...args);
  console.log('PASS');
} catch (error) {
  console.log(`FAIL: ${error.message}`);
  process.exitCode = 1;
} finally {
  for (const thing of opened.reverse()) await thing.close();
  native.remove();
}
