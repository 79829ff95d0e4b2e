import {startServer, launchBrowser, openPage, waitFor, workDir} from './harness.mjs';
const root = process.argv[2];
const server = await startServer(root);
const browser = await launchBrowser(workDir('try'));
const log = [];
try {
  const page = await openPage(browser, server.origin + '/play/', log);
  await waitFor('prompt', () => page.$eval('#prompt', (p) => p.textContent.includes('Click')), 30);
  await page.keyboard.press('Space');
  await waitFor('menu', () => log.some((l) => l.includes('Menufonts') ) , 30).catch(e => console.log(e.message));
  await new Promise(r => setTimeout(r, 15000));
  await page.screenshot({path: '/tmp/try.png'});
  console.log(log.join('\n'));
  console.log(await page.$eval('#messages', (m) => m.textContent));
} finally { await browser.close(); await server.close(); }
