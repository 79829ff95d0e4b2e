// Measures the web build in headless Chromium against a loopback server:
//   node measure.mjs WEB_ROOT [SECONDS]
// - the bytes a first visit transfers, gzip-compressed as the score server
//   sends them (the page, the JS, the .wasm, the .data);
// - from navigation to the first screen, and from the key pressed there to
//   the main loop's first pass (the menu's first frame);
// - the frame period in a game: gaps between the main loop's passes;
// - the share of a core that all of Chromium's processes use meanwhile
//   (utime+stime from /proc, SwiftShader's GPU process included).
import fs from 'node:fs';
import path from 'node:path';
import {startServer, launchBrowser, openPage, waitFor, workDir} from './harness.mjs';

const [webRoot, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);
const ticksPerSecond = 100;  // USER_HZ

function treeCpuTicks(rootPid) {
  const parents = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parents.set(Number(entry), {parent: Number(fields[1]), ticks: Number(fields[11]) + Number(fields[12])});
    } catch (e) { /* gone */ }
  }
  let total = 0;
  const inTree = (pid) => { for (let p = pid; p > 1; p = parents.get(p)?.parent ?? 0) if (p === rootPid) return true; return false; };
  for (const [pid, info] of parents) if (inTree(pid)) total += info.ticks;
  return total;
}

const median = (values) => { const s = [...values].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

const files = fs.readdirSync(webRoot).filter((name) => !name.endsWith('.gz'));
const gz = (name) => fs.statSync(path.join(webRoot, name + '.gz')).size;
const firstVisit = files.reduce((sum, name) => sum + gz(name), 0);
const wasm = files.find((name) => name.endsWith('.wasm'));
console.log(`first visit: ${(firstVisit / 1e6).toFixed(2)} MB compressed (${files.map((n) => `${n.split('.').pop()} ${(gz(n) / 1e3).toFixed(0)} kB`).join(', ')})`);
console.log(`.wasm: ${(gz(wasm) / 1e3).toFixed(0)} kB compressed, ${(fs.statSync(path.join(webRoot, wasm)).size / 1e3).toFixed(0)} kB plain`);

const server = await startServer(webRoot);
const browser = await launchBrowser(workDir('measure'));
try {
  const log = [];
  const navigation = Date.now();
  const page = await openPage(browser, server.origin + '/play/', log);
  await waitFor('the first screen', () => page.$eval('#prompt', (p) => /click|press/i.test(p.textContent)), 60);
  const prompted = Date.now();
  await page.evaluate(() => { Module.quadrunePassTimes = []; });
  await page.keyboard.press('Space');
  await waitFor('the first pass', () => page.evaluate(() => Module.quadrunePassTimes.length > 0), 60);
  const menu = Date.now();
  console.log(`navigation to the first screen: ${prompted - navigation} ms; its key to the menu's first frame: ${menu - prompted} ms`);

  const box = await (await page.$('#canvas')).boundingBox();
  await page.mouse.move(box.x + 129, box.y + 102);
  await page.mouse.down();
  await new Promise((resolve) => setTimeout(resolve, 300));
  await page.mouse.up();
  await new Promise((resolve) => setTimeout(resolve, 2000));  // into the game
  const pid = browser.process().pid;
  const cpuBefore = treeCpuTicks(pid);
  const wallBefore = Date.now();
  await page.evaluate(() => { Module.quadrunePassTimes = []; });
  await new Promise((resolve) => setTimeout(resolve, seconds * 1000));
  const times = await page.evaluate(() => Module.quadrunePassTimes);
  const cpu = (treeCpuTicks(pid) - cpuBefore) / ticksPerSecond / ((Date.now() - wallBefore) / 1000);
  const gaps = times.slice(1).map((t, i) => t - times[i]);
  console.log(`frame period in a game: median ${median(gaps).toFixed(1)} ms over ${gaps.length} frames, worst ${Math.max(...gaps).toFixed(1)} ms`);
  console.log(`Chromium's processes while playing: ${(cpu * 100).toFixed(0)}% of a core`);
} finally {
  await browser.close();
  await server.close();
}
