// Makes the README's pictures of the browser page from the real site in headless Chromium:
// docs/web-page.png in a desktop browser window, docs/web-phone.png on a 390 x 844 phone screen
// with touch, docs/web-about.png, the About panel on Mars, and docs/web-full-screen.png in full
// screen on a 1280 x 720 projector with the lines 3 px wide. Run after
// scripts/web.sh --out SITE_DIR:
//
//   node scripts/web-pictures.mjs SITE_DIR
import { fileURLToPath } from 'node:url';
import { launchChromium, serveSite } from '../tests/web/chromium.mjs';

const site = process.argv[2];
if (!site) {
  console.error('usage: node scripts/web-pictures.mjs SITE_DIR');
  process.exit(2);
}
const docs = fileURLToPath(new URL('../docs/', import.meta.url));

// Waits until the program has drawn `frames` frames, so the picture is the program's own.
async function waitForFrames(page, frames) {
  await page.waitForFunction((n) => window.tessaloran && tessaloran.started &&
      Module._webFrameCount(3) >= n, { timeout: 20000 }, frames);
}

const server = await serveSite(site);
const browser = await launchChromium();
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1060, height: 1180 });
  await page.goto(server.url);
  await waitForFrames(page, 10);
  // Time a million times faster, the Earth followed with the globes 100 times larger, then far
  // enough out that the inner planets and the Sun are named: a picture with something to see.
  for (const key of [']', ']', ']', ']', ']', ']', '#', "'", "'", ...'x'.repeat(26), 'w']) {
    await page.keyboard.press(key);
  }
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await page.screenshot({ path: `${docs}web-page.png` });

  const phone = await browser.newPage();
  await phone.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
  await phone.goto(server.url);
  await waitForFrames(phone, 10);
  await phone.screenshot({ path: `${docs}web-phone.png` });

  // Mars followed at a million times real time, its About panel open.
  const about = await browser.newPage();
  await about.setViewport({ width: 1060, height: 1180 });
  await about.goto(server.url);
  await waitForFrames(about, 10);
  for (const key of [']', ']', ']', ']', ']', ']', '$', "'", "'"]) await about.keyboard.press(key);
  await about.click('#show-about');
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await (await about.$('#about')).screenshot({ path: `${docs}web-about.png` });

  // The same scene as the first, in full screen (headless Chromium's screen is its window).
  const projector = await browser.newPage();
  await projector.setViewport({ width: 1280, height: 720 });
  await projector.goto(server.url);
  await waitForFrames(projector, 10);
  await projector.select('#line-width', '3');
  await projector.click('#fullscreen');
  for (const key of [']', ']', ']', ']', ']', ']', '#', "'", "'", ...'x'.repeat(26), 'w']) {
    await projector.keyboard.press(key);
  }
  await new Promise((resolve) => setTimeout(resolve, 1500));
  await projector.screenshot({ path: `${docs}web-full-screen.png` });
  console.log(`wrote ${docs}web-page.png, ${docs}web-phone.png, ${docs}web-about.png and ` +
    `${docs}web-full-screen.png`);
} finally {
  await browser.close();
  server.close();
}
