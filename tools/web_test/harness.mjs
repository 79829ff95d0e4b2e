// What every browser test shares: a loopback server standing in for the
// score server (the web build under /play/, the upload and the replay
// routes, replays under /replays/), and Debian's Chromium, headless, driven
// through the DevTools protocol. Every wait has a deadline.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const types = {'.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
               '.data': 'application/octet-stream'};

// Serves webRoot under /play/; POST /score.php and /replay.php are kept in
// `uploads` and answered as the score server answers them, but for the
// first `scoresRefused` scores, answered as a server that cannot store them.
// The origin names the host `host`.
export async function startServer(webRoot, {replays = {}, damage = {}, scoresRefused = 0, host = '127.0.0.1'} = {}) {
  const uploads = [];
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    const chunks = [];
    request.on('data', (chunk) => chunks.push(chunk));
    request.on('end', () => {
      const body = Buffer.concat(chunks);
      if (request.method === 'POST' && (url.pathname === '/score.php' || url.pathname === '/replay.php')) {
        uploads.push({path: url.pathname, mode: url.searchParams.get('mode'), type: request.headers['content-type'], body});
        if (url.pathname === '/score.php' && scoresRefused-- > 0) {
          response.writeHead(503).end('scores cannot be stored now, try again');
          return;
        }
        response.end(url.pathname === '/score.php' ? 'dataok' : 'replayok');
        return;
      }
      const replay = url.pathname.match(/^\/replays\/([A-Za-z0-9_-]+)\.qrp$/);
      if (replay) {
        if (!replays[replay[1]]) { response.writeHead(404).end('no such replay'); return; }
        response.writeHead(200, {'Content-Type': 'application/x-quadrune-replay'}).end(replays[replay[1]]);
        return;
      }
      if (!url.pathname.startsWith('/play/')) { response.writeHead(404).end(); return; }
      const name = url.pathname === '/play/' ? 'index.html' : path.basename(url.pathname);
      const file = path.join(webRoot, name);
      if (!fs.existsSync(file) || damage[path.extname(name)] === 'missing') { response.writeHead(404).end(); return; }
      let bytes = fs.readFileSync(file);
      if (damage[path.extname(name)] === 'cut') bytes = bytes.subarray(0, bytes.length >> 1);
      response.writeHead(200, {'Content-Type': types[path.extname(name)] || 'application/octet-stream',
                               'Cache-Control': 'no-cache'});
      response.end(bytes);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {server, uploads, origin: `http://${host}:${server.address().port}`,
          close: () => new Promise((resolve) => server.close(resolve))};
}

// The real score server serving webRoot under /play/, on a port of its own,
// with a fresh database in dir.
export async function startScoreServer(binary, webRoot, dir) {
  const child = spawn(binary, ['--listen', '127.0.0.1:0', '--database', path.join(dir, 'scores.sqlite'),
                               '--web-root', webRoot], {stdio: ['ignore', 'pipe', 'inherit']});
  let output = '';
  child.stdout.on('data', (chunk) => { output += chunk; });
  const origin = await waitFor('the score server to listen', () => {
    if (child.exitCode !== null) throw new Error('the score server ended: ' + output);
    const listening = output.match(/listening on ([0-9.]+:\d+)/);
    return listening && 'http://' + listening[1];
  }, 30);
  return {origin, uploads: null, log: () => output, close: () => new Promise((resolve) => {
    if (child.exitCode !== null) return resolve();
    child.on('exit', resolve);
    child.kill('SIGTERM');
  })};
}

export async function launchBrowser(profile) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    protocolTimeout: 60000,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox', '--autoplay-policy=no-user-gesture-required',
           '--disable-background-timer-throttling', '--disable-renderer-backgrounding', '--window-size=800,700'],
  });
}

// A fresh page that keeps the game's console and the page's errors.
// `prepare`, when given, runs in the page before any of its own scripts.
export async function openPage(browser, url, log, prepare = null) {
  const page = await browser.newPage();
  if (prepare) await page.evaluateOnNewDocument(prepare);
  await page.setViewport({width: 800, height: 700});
  page.on('console', (message) => log.push(message.text()));
  page.on('pageerror', (error) => log.push('pageerror: ' + error.message));
  await page.goto(url, {waitUntil: 'load', timeout: 30000});
  return page;
}

export async function waitFor(what, check, seconds) {
  const deadline = Date.now() + seconds * 1000;
  for (;;) {
    const result = await check();
    if (result) return result;
    if (Date.now() > deadline) throw new Error('timed out waiting for ' + what);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

export function workDir(name) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `quadrune-web-${name}-`));
}

export function gunzipIfNeeded(bytes) { return bytes[0] === 0x1f && bytes[1] === 0x8b ? zlib.gunzipSync(bytes) : bytes; }
