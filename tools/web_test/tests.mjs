// The web build's tests in headless Chromium, one case a run:
//   node tests.mjs CASE WEB_ROOT SOURCE_DIR [NATIVE_QUADRUNE]
// Exits 77 (skipped) when WEB_ROOT holds no build.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

const [caseName, webRoot, sourceDir, nativeQuadrune, scoreServer] = process.argv.slice(2);
if (!webRoot || !fs.existsSync(path.join(webRoot, 'index.html'))) {
  console.log(`no web build in ${webRoot}: run tools/build_web.sh first`);
  process.exit(77);
}
if (!fs.existsSync(new URL('./node_modules/puppeteer-core', import.meta.url))) {
  console.log('puppeteer-core is not installed: run tools/install_deps.sh web');
  process.exit(77);
}
const {startServer, startScoreServer, launchBrowser, openPage, waitFor, workDir} = await import('./harness.mjs');
const {compareShot, matches} = await import('./pictures.mjs');
const reference = (name) => fs.readFileSync(path.join(sourceDir, 'tests/reference/pictures', name + '.png'));
const nativeReplay = (name) => fs.readFileSync(path.join(sourceDir, 'tests/replays', name));

function crc32(bytes) {
  let crc = ~0;
  for (const byte of bytes) {
    crc ^= byte;
    for (let bit = 0; bit < 8; ++bit) crc = (crc >>> 1) ^ (0xedb88320 & -(crc & 1));
  }
  return ~crc >>> 0;
}

function check(condition, what) {
  if (!condition) throw new Error('failed: ' + what);
  console.log('ok: ' + what);
}

async function canvasBox(page) { return (await page.$('#canvas')).boundingBox(); }
async function shot(page) { return page.screenshot({clip: await canvasBox(page)}); }
async function pointAt(page, x, y) {
  const box = await canvasBox(page);
  await page.mouse.move(box.x + x, box.y + y);
}
// A press and release held over a few passes, so the game's poll of the button sees it.
async function click(page) {
  await page.mouse.down();
  const at = await passes(page);
  await waitFor('a pass with the button down', async () => (await passes(page)) > at + 1, 10);
  await page.mouse.up();
  const up = await passes(page);
  await waitFor('a pass with the button up', async () => (await passes(page)) > up + 1, 10);
}
// Near-white pixels in a part of the picture, where the game writes a line.
async function whitePixels(page, x, y, width, height) {
  const picture = await shot(page);
  return page.evaluate(async (base64, x, y, width, height) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + base64;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width; canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const data = context.getImageData(x, y, width, height).data;
    let white = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i] > 230 && data[i + 1] > 230 && data[i + 2] > 230) white++;
    return white;
  }, picture.toString('base64'), x, y, width, height);
}
const whiteWhereItSaysPaused = (page) => whitePixels(page, 250, 232, 185, 38);
// The highscore screen's last line, the host to send to, left of where the board would be.
async function awaitSendPrompt(page) {
  await waitFor('the highscore screen', async () => (await whitePixels(page, 100, 450, 190, 20)) > 100, 30);
}
async function messages(page) { return page.$eval('#messages', (m) => m.textContent); }
async function passes(page) { return page.evaluate(() => Module.quadrunePasses || 0); }

// Past the first screen: it asks for a click or a key, and the game runs its main loop after one.
async function startGame(page) {
  await waitFor('the first screen', () => page.$eval('#prompt', (p) => /click|press/i.test(p.textContent)), 30);
  check(await passes(page) === 0, 'the game waits on the first screen');
  await page.keyboard.press('Space');
  const first = await passes(page);
  await waitFor('the main loop', async () => (await passes(page)) > first + 2, 60);
}

async function matchesReference(page, name, seconds) {
  let last;
  try {
    await waitFor(name, async () => matches(last = await compareShot(page, await shot(page), reference(name))), seconds);
  } catch (error) {
    fs.writeFileSync(path.join(workDir('shot'), name + '.got.png'), await shot(page));
    const said = await page.$eval('#prompt', (p) => (p.hidden ? '' : p.textContent)).catch(() => '');
    throw new Error(`${name}: ${JSON.stringify(last)}${said ? ' (the page says: ' + said + ')' : ''}`);
  }
  console.log(`ok: ${name} matches its reference (${(last.share * 100).toFixed(2)}% pixels differ, mean ${last.mean.toFixed(2)})`);
  return last;
}

async function savedFiles(page) {
  await waitFor('the saves made durable', () => page.evaluate(() => !Module.quadruneSaves.syncing), 20);
  return page.evaluate(() => {
    const read = (name) => {
      try { return Array.from(Module.FS.readFile(Module.quadruneSaves.dir + '/' + name)); } catch (e) { return null; }
    };
    return {config: read('config.dat'), highscore: read('highscore.dat'), syncs: Module.quadruneSaves.syncs};
  });
}

function skipWithoutScoreServer() {
  if (scoreServer && fs.existsSync(scoreServer)) return;
  console.log('no score server built');
  process.exit(77);
}

// Plays the keys, each read by the game, then leaves with Escape and sends
// the result with Y.
async function playLeaveAndSend(page, keys) {
  for (const key of keys) {
    await page.keyboard.press(key, {delay: 60});
    const at = await passes(page);
    await waitFor('a pass after ' + key, async () => (await passes(page)) > at + 1, 10);
  }
  await page.keyboard.press('Escape', {delay: 60});
  await awaitSendPrompt(page);
  await page.keyboard.press('y', {delay: 60});
}

async function playAndSend(page, keys) {
  await playLeaveAndSend(page, keys);
  await matchesReference(page, 'upload-sent', 30);
}

// Keeps every buffer the game queues to Web Audio, to be heard afterwards.
function keepQueuedSound() {
  const make = AudioContext.prototype.createBuffer;
  window.queuedSound = [];
  AudioContext.prototype.createBuffer = function (...args) {
    const buffer = make.apply(this, args);
    window.queuedSound.push(buffer);
    return buffer;
  };
}

// The first seconds the game's mixer queued are the menu music as the
// browser decodes its file: same rate, both sides, nothing garbled. Left
// as a WAV file to listen to and to measure with sox.
async function checkMenuMusic(page) {
  const seconds = 1.5;
  await waitFor('the music queued', () => page.evaluate((s) => window.queuedSound.reduce((n, b) => n + b.length, 0) >
                                                              s * Module.quadruneAudio.sampleRate, seconds), 20);
  const heard = await page.evaluate(async (seconds) => {
    const rate = Module.quadruneAudio.sampleRate, count = Math.floor(seconds * rate);
    const played = [new Float32Array(count), new Float32Array(count)];
    let at = 0;
    for (const buffer of window.queuedSound) {
      if (at >= count) break;
      const take = Math.min(buffer.length, count - at);
      for (let side = 0; side < 2; ++side) played[side].set(buffer.getChannelData(side).subarray(0, take), at);
      at += take;
    }
    const file = FS.readFile('/home/web_user/.local/share/quadrune/data/audio/menumusa.ogg');
    const decoded = await new OfflineAudioContext(2, 1, rate).decodeAudioData(file.slice().buffer);
    const correlation = (a, b) => {
      let ab = 0, aa = 0, bb = 0;
      for (let i = 0; i < count; ++i) ab += a[i] * b[i], aa += a[i] * a[i], bb += b[i] * b[i];
      return aa && bb ? ab / Math.sqrt(aa * bb) : 0;
    };
    const sides = [0, 1].map((side) => correlation(played[side], decoded.getChannelData(Math.min(side, decoded.numberOfChannels - 1))));
    const pcm = new Int16Array(count * 2);
    for (let i = 0; i < count; ++i) for (let side = 0; side < 2; ++side) pcm[2 * i + side] = Math.round(played[side][i] * 32767);
    let binary = '';
    const bytes = new Uint8Array(pcm.buffer);
    for (let i = 0; i < bytes.length; ++i) binary += String.fromCharCode(bytes[i]);
    return {rate, sides, pcm: btoa(binary)};
  }, seconds);
  const pcm = Buffer.from(heard.pcm, 'base64');
  const header = Buffer.alloc(44);
  header.write('RIFF', 0); header.writeUInt32LE(36 + pcm.length, 4); header.write('WAVEfmt ', 8);
  header.writeUInt32LE(16, 16); header.writeUInt16LE(1, 20); header.writeUInt16LE(2, 22);
  header.writeUInt32LE(heard.rate, 24); header.writeUInt32LE(heard.rate * 4, 28); header.writeUInt16LE(4, 32);
  header.writeUInt16LE(16, 34); header.write('data', 36); header.writeUInt32LE(pcm.length, 40);
  const file = path.join(workDir('sound'), 'menu-music.wav');
  fs.writeFileSync(file, Buffer.concat([header, pcm]));
  check(heard.sides.every((c) => c > 0.99),
        `the first ${seconds} s queued are the menu music, left and right (correlation ${heard.sides.map((c) => c.toFixed(4)).join(', ')}; ${file})`);
}

// The RMS of the last second the game queued to Web Audio, 0 to 1.
async function loudness(page) {
  return page.evaluate(() => {
    let sum = 0, count = 0;
    for (const buffer of window.queuedSound.slice(-Math.ceil(Module.quadruneAudio.sampleRate / 1024))) {
      for (const x of buffer.getChannelData(0)) sum += x * x;
      count += buffer.length;
    }
    return count ? Math.sqrt(sum / count) : 0;
  });
}

// From a watch link's page: the game plays again to its end, and holds.
async function watchesToItsEnd(page) {
  await startGame(page);
  await waitFor('the replay to its end', () => page.$eval('#prompt', (p) => !p.hidden && /replay has ended/.test(p.textContent)), 120);
  check(!/refused/.test(await messages(page)), 'the watch link plays the game to its end');
}

// PLAY under the pointer, as natively, then clicked: the game begins.
async function clickPlay(page) {
  await pointAt(page, 129, 102);
  await matchesReference(page, 'menu-play', 20);
  await click(page);
  await waitFor('the game screen', async () => !matches(await compareShot(page, await shot(page), reference('menu-play'))), 20);
}

// highscore.dat with FREE PLAY's table as the native highscore pictures
// fill it (FREE0 to FREE9), the other tables empty: eight tables of ten
// 120-byte rows, then 'Y' at byte 9600.
function freePlayTable() {
  const file = Buffer.alloc(9608);
  for (let row = 0; row < 10; ++row) {
    const at = row * 120;
    file.write('FREE' + row, at, 'latin1');
    file.writeUInt32LE(98765 - 37 * row, at + 56);
    file.writeUInt32LE(4321 - 407 * row, at + 64);
  }
  file.write('Y', 9600, 'latin1');
  return file;
}

async function withBrowser(options, body) {
  const server = options.real ? await startScoreServer(scoreServer, webRoot, workDir('server'))
                              : await startServer(webRoot, options);
  const browser = await launchBrowser(workDir('profile'));
  const log = [];
  try {
    await body(server, browser, log);
  } catch (error) {
    console.log(log.slice(-40).join('\n'));
    if (server.log) console.log(server.log().split('\n').slice(-20).join('\n'));
    throw error;
  } finally {
    await browser.close();
    await server.close();
  }
}

const cases = {
  // The menu at rest and under the pointer, against the native pictures.
  async menu() {
    await withBrowser({}, async (server, browser, log) => {
      const navigation = Date.now();
      const page = await openPage(browser, server.origin + '/play/', log, keepQueuedSound);
      // Slow passes, as on a loaded machine: the music must not skip for them.
      const devtools = await page.target().createCDPSession();
      await devtools.send('Emulation.setCPUThrottlingRate', {rate: 6});
      await startGame(page);
      console.log(`the main loop ran ${Date.now() - navigation} ms after navigation (a key pressed at the first screen, the processor slowed sixfold)`);
      await waitFor('sound queued to Web Audio', () => page.evaluate(() => Module.quadruneAudioNext > 0), 10);
      check(true, "the game's mixer feeds Web Audio");
      await checkMenuMusic(page);
      await devtools.send('Emulation.setCPUThrottlingRate', {rate: 1});
      await pointAt(page, 620, 470);
      const rest = await matchesReference(page, 'menu', 20);
      const wrong = await compareShot(page, await shot(page), reference('menu-exit'));
      check(!matches(wrong), `the tolerance tells the menu from its EXIT highlight (${(wrong.share * 100).toFixed(2)}% differ)`);
      for (const [name, x, y] of [['menu-play', 129, 102], ['menu-options', 482, 112], ['menu-exit', 448, 378]]) {
        await pointAt(page, x, y);
        await matchesReference(page, name, 10);
      }
      void rest;
    });
  },

  // A game played with keys, left with Escape and sent with Y; the saves outlive a reload.
  async play() {
    await withBrowser({}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      const fresh = await savedFiles(page);
      // The options: one click on the mode's line, then DONE, which saves them.
      await pointAt(page, 482, 112);
      await matchesReference(page, 'menu-options', 20);
      await click(page);
      await waitFor('the options page', async () => !matches(await compareShot(page, await shot(page), reference('menu-options'))), 20);
      await pointAt(page, 620, 470);
      await matchesReference(page, 'options-mode1', 20);  // a fresh player's options
      await pointAt(page, 200, 115);
      await click(page);
      await pointAt(page, 250, 415);
      await click(page);
      await waitFor('config.dat saved', async () => (await savedFiles(page)).config, 20);
      await clickPlay(page);
      await playLeaveAndSend(page, ['ArrowLeft', 'ArrowUp', 'Space', 'ArrowRight', 'ArrowDown', 'Space', 'ArrowLeft', 'Space']);
      await waitFor('the upload and its replay', () => server.uploads.length >= 2, 30);
      const [score, replay] = server.uploads;
      check(score.path === '/score.php' && score.mode === '2', `the score went to /score.php?mode=${score.mode}, the mode chosen`);
      const body = score.body.toString('latin1');
      const recordSize = body.length - 9;
      check(body.startsWith('data=') && body.endsWith(String(recordSize).padStart(4, '0')),
            `the score's body is data=, the ${recordSize}-byte record and its length, as natively`);
      check(replay.path === '/replay.php' && replay.mode === score.mode && replay.type === 'application/x-quadrune-replay',
            'the replay went to /replay.php with the same mode');
      await matchesReference(page, 'upload-sent', 20);
      if (nativeQuadrune) {
        const file = path.join(workDir('replay'), 'browser.qrp');
        fs.writeFileSync(file, replay.body);
        const out = execFileSync(nativeQuadrune, ['--verify-replay', file], {encoding: 'utf8', timeout: 60000});
        console.log('ok: the native game verifies the browser\'s replay: ' + out.trim());
      }
      // Any key leaves DATA SENT!; one the menu ignores, since under load an
      // Enter was once seen choosing PLAY on the menu after it. The menu
      // draws only for an event, and the key's release may have gone to
      // DATA SENT! too, so the game's last frame stays until the pointer
      // moves, as natively.
      const sentAt = await passes(page);
      await page.keyboard.press('x', {delay: 60});
      await waitFor('the main loop again', async () => (await passes(page)) > sentAt + 2, 20);
      await pointAt(page, 130, 103);
      await matchesReference(page, 'menu-play', 20);
      const kept = await savedFiles(page);
      check(kept.highscore && kept.config && kept.syncs > 0, 'highscore.dat and config.dat are saved and made durable');
      check(JSON.stringify(kept.highscore) !== JSON.stringify(fresh.highscore), 'the game entered its result');

      await page.reload({waitUntil: 'load'});
      await startGame(page);
      const after = await savedFiles(page);
      check(JSON.stringify(after.highscore) === JSON.stringify(kept.highscore), 'highscore.dat is the same after a reload');
      check(JSON.stringify(after.config) === JSON.stringify(kept.config), 'config.dat is the same after a reload');
    });
  },

  // Full screen from the button keeps the picture 4:3, and the pointer picks where it points.
  async fullscreen() {
    await withBrowser({}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      await page.click('#fullscreen');
      await waitFor('full screen', () => page.evaluate(() => document.fullscreenElement?.id === 'stage'), 10);
      const box = await canvasBox(page);
      check(Math.abs(box.width / box.height - 4 / 3) < 0.01 && box.width > 640, `the canvas fills the screen at 4:3 (${box.width}x${box.height})`);
      // PLAY's spot on the 640x480 picture, scaled to the canvas on the screen.
      const scale = box.width / 640;
      await page.mouse.move(box.x + 129 * scale, box.y + 102 * scale);
      await waitFor('PLAY lit under the pointer', async () => {
        const shotScaled = await page.screenshot({clip: box});
        const small = await page.evaluate(async (base64) => {
          const image = new Image();
          image.src = 'data:image/png;base64,' + base64;
          await image.decode();
          const canvas = document.createElement('canvas');
          canvas.width = 640; canvas.height = 480;
          canvas.getContext('2d').drawImage(image, 0, 0, 640, 480);
          return canvas.toDataURL('image/png').split(',')[1];
        }, shotScaled.toString('base64'));
        const play = await compareShot(page, Buffer.from(small, 'base64'), reference('menu-play'));
        const rest = await compareShot(page, Buffer.from(small, 'base64'), reference('menu'));
        return play.mean < rest.mean && play.share < rest.share;
      }, 20);
      check(true, 'the pointer on the full screen picks PLAY');
      await page.keyboard.press('F11');
      await waitFor('the window again', () => page.evaluate(() => !document.fullscreenElement), 10);
      check(true, "F11, the game's own key, leaves full screen");
    });
  },

  // A hidden tab pauses the game as the window's focus loss does: PAUSED shows.
  async hidden() {
    await withBrowser({}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      await clickPlay(page);
      const before = await whiteWhereItSaysPaused(page);
      await page.evaluate(() => {
        Object.defineProperty(document, 'hidden', {configurable: true, get: () => true});
        document.dispatchEvent(new Event('visibilitychange'));
      });
      await waitFor('PAUSED', async () => (await whiteWhereItSaysPaused(page)) > before + 400, 20);
      check(true, 'the hidden tab paused the game');
    });
  },

  // A pad through the Gamepad API: its d-pad shows the menu's selection and Start chooses PLAY.
  async pad() {
    await withBrowser({}, async (server, browser, log) => {
      const page = await browser.newPage();
      page.on('console', (message) => log.push(message.text()));
      await page.evaluateOnNewDocument(() => {
        const buttons = Array.from({length: 17}, () => ({pressed: false, value: 0}));
        const pad = {id: 'test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard', timestamp: 1,
                     axes: [0, 0, 0, 0], buttons};
        window.pressPad = (button, down) => {
          buttons[button] = {pressed: down, value: down ? 1 : 0};
          pad.timestamp++;
        };
        navigator.getGamepads = () => [pad, null, null, null];
      });
      await page.setViewport({width: 800, height: 700});
      await page.goto(server.origin + '/play/', {waitUntil: 'load'});
      await startGame(page);
      await pointAt(page, 620, 470);
      await matchesReference(page, 'menu', 20);
      const press = async (button) => {
        for (const down of [true, false]) {
          await page.evaluate((b, d) => window.pressPad(b, d), button, down);
          const at = await passes(page);
          await waitFor('a pass', async () => (await passes(page)) > at + 1, 10);
        }
      };
      await press(12);  // the standard mapping's d-pad up
      await matchesReference(page, 'menu-play', 20);
      await press(9);  // Start
      await waitFor('the game screen', async () => !matches(await compareShot(page, await shot(page), reference('menu-play'))), 20);
      check(true, "the pad's Start chose PLAY");
    });
  },

  // Through the real score server: a game played in the page lands verified on
  // the leaderboard, its replay verifies natively, and its WATCH link plays it in the page.
  async served() {
    skipWithoutScoreServer();
    await withBrowser({real: true}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      await clickPlay(page);
      await playAndSend(page, ['ArrowLeft', 'Space', 'ArrowUp', 'Space']);
      const watch = await waitFor('the verified row on the leaderboard', async () => {
        const html = await (await fetch(server.origin + '/')).text();
        return html.match(/href="(\/play\/\?replay=(\d+))"/);
      }, 30);
      check(true, 'the leaderboard shows the row with its watch link ' + watch[1]);
      if (nativeQuadrune) {
        const file = path.join(workDir('replay'), watch[2] + '.qrp');
        fs.writeFileSync(file, Buffer.from(await (await fetch(server.origin + `/replays/${watch[2]}.qrp`)).arrayBuffer()));
        const out = execFileSync(nativeQuadrune, ['--verify-replay', file], {encoding: 'utf8', timeout: 60000});
        console.log('ok: the native game verifies the served replay: ' + out.trim());
      }
      await page.goto(server.origin + watch[1], {waitUntil: 'load'});
      await watchesToItsEnd(page);
    });
  },

  // A browser that cannot decode Ogg: the game plays without the Ogg sounds,
  // says so on the console, and its MP3 music still plays.
  async noogg() {
    function refuseOgg() {
      const decode = OfflineAudioContext.prototype.decodeAudioData;
      OfflineAudioContext.prototype.decodeAudioData = function (data, ...rest) {
        if (new TextDecoder().decode(new Uint8Array(data, 0, 4)) === 'OggS') {
          const refused = new DOMException('no Ogg here', 'EncodingError');
          if (rest[1]) rest[1](refused);
          return Promise.reject(refused);
        }
        return decode.call(this, data, ...rest);
      };
    }
    await withBrowser({}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log, `(${refuseOgg})(); (${keepQueuedSound})();`);
      await startGame(page);
      for (const file of ['menumusa.ogg', 'pilip.ogg', 'plip2.ogg'])
        check(log.some((line) => line.includes('cannot decode data/audio/' + file)), `the console says ${file} cannot be decoded`);
      await pointAt(page, 129, 102);
      await matchesReference(page, 'menu-play', 20);
      const menuSound = await loudness(page);
      await click(page);
      await waitFor('the game screen', async () => !matches(await compareShot(page, await shot(page), reference('menu-play'))), 20);
      await waitFor('the game music', async () => (await loudness(page)) > 0.01, 20);
      check(menuSound < 0.001, `the menu, without its Ogg music, is silent (RMS ${menuSound.toFixed(4)})`);
    });
  },

  // The highscore screen against the native picture: the page's saves are
  // given the table that picture shows, and a short game enters no row.
  async highscores() {
    await withBrowser({host: 'localhost'}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      await page.evaluate((bytes) => {
        FS.writeFile(Module.quadruneSaves.dir + '/highscore.dat', new Uint8Array(bytes));
      }, Array.from(freePlayTable()));
      await savedFiles(page);
      await page.reload({waitUntil: 'load'});
      await startGame(page);
      await clickPlay(page);
      await page.keyboard.press('Escape', {delay: 60});
      await awaitSendPrompt(page);
      await matchesReference(page, 'highscores-not-entered', 20);
    });
  },

  // The prompt names the page's host. A score the server cannot store gives
  // FAILED!, and Y there sends it again, as natively.
  async failed() {
    await withBrowser({scoresRefused: 1, host: 'localhost'}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/', log);
      await startGame(page);
      await clickPlay(page);
      await page.keyboard.press('Escape', {delay: 60});
      await awaitSendPrompt(page);
      const prompt = {x: 0, y: 405, width: 640, height: 75};  // SEND SCORE TO, then LOCALHOST? Y/N
      const named = await compareShot(page, await shot(page), reference('highscores-mode2'), prompt);
      check(matches(named), `the prompt names the page's host as the native game names localhost (${JSON.stringify(named)})`);
      await page.keyboard.press('y', {delay: 60});
      await matchesReference(page, 'upload-failed', 30);
      check(server.uploads.length === 1, 'a refused score sends no replay');
      await page.keyboard.press('y', {delay: 60});
      await matchesReference(page, 'upload-sent', 30);
      check(server.uploads.map((u) => u.path).join(' ') === '/score.php /score.php /replay.php',
            'Y on FAILED! sent the score again, and then its replay');
      check(server.uploads[0].body.equals(server.uploads[1].body), 'the same score both times');
    });
  },

  // ?daily plays today's deal at once: sent from the page, it lands on today's board.
  async daily() {
    skipWithoutScoreServer();
    await withBrowser({real: true}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/?daily', log);
      await startGame(page);
      await waitFor('the game screen', async () => !matches(await compareShot(page, await shot(page), reference('menu'))), 20);
      await playAndSend(page, ['ArrowLeft', 'Space']);
      const board = await waitFor("the game on today's board", async () => {
        const json = await (await fetch(server.origin + '/daily.json')).json();
        return json.rows.length === 1 ? json : null;
      }, 30);
      const today = Math.floor(Date.now() / 86400000) * 86400;
      check(board.seed === today, "today's board is of today's deal");
      check(board.rows[0].watch === '/play/?replay=' + board.rows[0].replay.match(/(\d+)\.qrp/)[1],
            "today's row has its watch link");
      await page.goto(server.origin + '/daily', {waitUntil: 'load'});
      check(await page.$('a[href="/play/?daily"]') !== null, "today's board links the daily game in the page");
      await Promise.all([page.waitForNavigation({waitUntil: 'load'}), page.click(`a[href="${board.rows[0].watch}"]`)]);
      await watchesToItsEnd(page);
    });
  },

  // A native replay plays in the page to its end.
  async watch() {
    const replays = {native: nativeReplay('free-play-51s.qrp')};
    await withBrowser({replays}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/?replay=native', log);
      await startGame(page);
      await page.keyboard.down('ArrowRight');  // plays fast while held
      await waitFor('the replay to its end', () => page.$eval('#prompt', (p) => !p.hidden && /replay has ended/.test(p.textContent)), 240);
      check(!/refused/.test(await messages(page)), 'the native replay was not refused');
    });
  },

  // A game's frames against the native pictures: the scripted game behind
  // them, watched in the page and held at each pass they show.
  async frames() {
    const replays = {scripted: nativeReplay('scripted-time-attack.qrp')};
    await withBrowser({replays}, async (server, browser, log) => {
      const page = await openPage(browser, server.origin + '/play/?replay=scripted', log);
      await waitFor('the first screen', () => page.$eval('#prompt', (p) => /click|press/i.test(p.textContent)), 30);
      const kept = [['game-opening-flash', 1], ['game-blocks-falling', 5], ['game-cursor-corner', 155],
                    ['game-swap-halfway', 171], ['game-glows', 180], ['game-paused', 181], ['game-over', 789]];
      await page.evaluate((pass) => { Module.quadruneHoldAfterPass = pass; }, kept[0][1]);
      await page.keyboard.press('Space');
      for (const [name, pass] of kept) {
        await page.evaluate((held) => { Module.quadruneHoldAfterPass = held; }, pass);
        await waitFor('pass ' + pass, async () => (await passes(page)) === pass, 90);
        await matchesReference(page, name, 10);
      }
    });
  },

  // The two modes no other page test plays: native replays of each hold in
  // the page's own rules and play to their end.
  async modes() {
    const replays = {hardcore: nativeReplay('hardcore-bot.qrp'), hundred: nativeReplay('hundred-moves-bot.qrp')};
    await withBrowser({replays}, async (server, browser, log) => {
      for (const id of Object.keys(replays)) {
        const page = await openPage(browser, server.origin + '/play/?replay=' + id, log);
        await startGame(page);
        await page.keyboard.down('ArrowRight');  // plays fast while held
        await waitFor(id + ' to its end', () => page.$eval('#prompt', (p) => !p.hidden && /replay has ended/.test(p.textContent)), 120);
        check(!/refused/.test(await messages(page)), `the ${id} replay holds in the page and plays to its end`);
        await page.close();
      }
    });
  },

  // Each bad input gives a clear message in the page.
  async bad() {
    const good = nativeReplay('free-play-51s.qrp');
    // Well formed, with its CRC right, but claiming a result its game never had.
    const broken = Buffer.from(good);
    broken[16 + 119] ^= 0x40;
    broken.writeUInt32LE(crc32(broken.subarray(0, broken.length - 4)), broken.length - 4);
    const table = [
      {what: 'a missing .wasm', damage: {'.wasm': 'missing'}, url: '/play/', says: /could not be loaded/},
      {what: 'a cut .wasm', damage: {'.wasm': 'cut'}, url: '/play/', says: /could not be loaded/, press: true},
      {what: 'a replay ID that does not exist', url: '/play/?replay=nothere', says: /nothere was not found/},
      {what: 'a replay that does not hold', url: '/play/?replay=broken', says: /This replay was refused:\s*quadrune: .*played again it ends/,
       press: true},
    ];
    for (const row of table) {
      await withBrowser({damage: row.damage || {}, replays: {broken}}, async (server, browser, log) => {
        const page = await openPage(browser, server.origin + row.url, log);
        if (row.press) {
          await page.keyboard.press('Space');
        }
        await waitFor(row.what, async () => row.says.test(await messages(page)), 30);
        check(true, `${row.what}: "${(await messages(page)).trim().split('\n')[0]}"`);
      });
    }
  },

  // IndexedDB refused (as in some private windows): the game plays and says saves are off.
  async nostore() {
    await withBrowser({}, async (server, browser, log) => {
      const page = await browser.newPage();
      page.on('console', (message) => log.push(message.text()));
      await page.evaluateOnNewDocument(() => {
        Object.defineProperty(window, 'indexedDB', {get() { throw new DOMException('refused', 'SecurityError'); }});
      });
      await page.goto(server.origin + '/play/', {waitUntil: 'load'});
      await startGame(page);
      check(/Saves are off/.test(await messages(page)), 'the page says saves are off');
    });
  },
};

if (!cases[caseName]) {
  console.log('cases: ' + Object.keys(cases).join(' '));
  process.exit(2);
}
await cases[caseName]();
console.log('passed: ' + caseName);
