// Takes the README's picture of the game in Chromium: the page with a game
// a few moves in.
//   node screenshot.mjs WEB_ROOT OUT.png
import {startServer, launchBrowser, openPage, waitFor, workDir} from './harness.mjs';

const [webRoot, out] = process.argv.slice(2);
const server = await startServer(webRoot);
const browser = await launchBrowser(workDir('screenshot'));
try {
  const page = await openPage(browser, server.origin + '/play/', []);
  await page.setViewport({width: 700, height: 560});
  await waitFor('the first screen', () => page.$eval('#prompt', (p) => /click|press/i.test(p.textContent)), 60);
  await page.keyboard.press('Space');
  await waitFor('the menu', () => page.evaluate(() => (Module.quadrunePasses || 0) > 5), 60);
  const box = await (await page.$('#canvas')).boundingBox();
  await page.mouse.move(box.x + 129, box.y + 102);
  await page.mouse.down();
  await waitFor('the press seen', () => page.evaluate(() => Module.quadrunePasses > 10), 10);
  await page.mouse.up();
  const at = await page.evaluate(() => Module.quadrunePasses);
  await waitFor('a few seconds of play', () => page.evaluate((n) => Module.quadrunePasses > n + 60, at), 60);
  await page.mouse.move(box.x + box.width + 20, box.y + 20);
  await page.screenshot({path: out});
} finally {
  await browser.close();
  await server.close();
}
