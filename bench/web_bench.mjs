// Measures the browser build in Debian's Chromium, headless, drawing with SwiftShader WebGL: the
// rate of frames shown, the CPU time of the WebAssembly frame code and of placing the bodies'
// names over each picture shown (names.js) in the start, 100-shell, heaviest and names-moving
// scenes, the time to the first frame shown, and the site's size. Prints one table. The start and
// 100-shell scenes are measured with the lines 1 and 3 CSS px wide (#line-width) in the same run,
// their blocks taking turns, so that a machine's load falls on both widths alike; the table gives
// width 3's frame rate as a share of width 1's.
//
//   node bench/web_bench.mjs SITE_DIR [--seconds N] [--rounds N]
//
// Each scene is measured over `rounds` blocks of `seconds` (default 3 x 5 s); the table gives the
// median block. The scenes are made with the program's own keys, as a user would make them:
//   start     the page as it opens;
//   shells    100 live light shells: time at 1000 times real time until the shells fill up,
//             then back to real time;
//   heaviest  the same shells, globes 10^4 times larger, the Earth followed, zoomed in 12 steps;
//   names moving  then zoomed out until the Sun and the inner planets are in view, at 10^6 times
//             real time, so that names move at every frame.
import { readdirSync, statSync } from 'node:fs';
import { loadavg } from 'node:os';
import { join } from 'node:path';
import { launchChromium, serveSite } from '../tests/web/chromium.mjs';

const args = process.argv.slice(2);
const site = args[0];
const option = (name, fallback) => {
  const at = args.indexOf(name);
  return at >= 0 ? Number(args[at + 1]) : fallback;
};
const seconds = option('--seconds', 5);
const rounds = option('--rounds', 3);
if (!site) {
  console.error('usage: node bench/web_bench.mjs SITE_DIR [--seconds N] [--rounds N]');
  process.exit(2);
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Draws the lines `width` CSS px wide, as the control does, from the next frame on.
async function chooseLineWidth(page, width) {
  await page.select('#line-width', String(width));
  await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve())));
}

// Counts frames and sums the frame code's milliseconds over one block, inside the page.
async function measureBlock(page) {
  return page.evaluate((ms) => new Promise((resolve) => {
    // Frames shown; a site from before the painter counted the frames it drew itself, one from
    // before the page's shared namespace kept the count on window.
    const counts = () => (window.tessaloran && tessaloran.framesPainted) ?? window.framesPainted ??
      Module._webFrameCount(3);
    const first = counts();
    const start = performance.now();
    let codeMs = 0;
    let drawingMs = 0;
    let samples = 0;
    let vertices = 0;
    const names = [window.namesMs, window.namesPlaced];
    const sample = () => {
      codeMs += Module._webFrameCodeMilliseconds();
      drawingMs += Module._webDrawingMilliseconds();
      samples += 1;
      vertices = Module._webFrameCount(0);
      if (performance.now() - start < ms) {
        requestAnimationFrame(sample);
        return;
      }
      const elapsed = performance.now() - start;
      const namesMs = (window.namesMs - names[0]) / Math.max(1, window.namesPlaced - names[1]);
      resolve({ fps: (counts() - first) * 1000 / elapsed, codeMs: codeMs / samples, drawingMs: drawingMs / samples, namesMs, vertices });
    };
    requestAnimationFrame(sample);
  }), seconds * 1000);
}

async function press(page, key, times = 1) {
  for (let i = 0; i < times; i += 1) {
    await page.keyboard.press(key);
  }
}

async function liveVertices(page) {
  return page.evaluate(() => Module._webFrameCount(0));
}

const loadAtStart = loadavg()[0];
const server = await serveSite(site);
const browser = await launchChromium();
try {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 900 });
  // The first frame's time from the start of navigation, seen by a poll on every animation frame.
  await page.evaluateOnNewDocument(() => {
    const poll = () => {
      const m = window.Module;
      const shown = () => (window.tessaloran && tessaloran.framesPainted) ??
        window.framesPainted ?? m._webFrameCount(3);
      if (m && m.calledRun && shown() > 0) {
        window.firstFrameMs = performance.now();
        return;
      }
      requestAnimationFrame(poll);
    };
    requestAnimationFrame(poll);
  });
  await page.goto(server.url);
  await page.waitForFunction(() => window.firstFrameMs !== undefined, { timeout: 20000 });
  const firstFrameMs = await page.evaluate(() => window.firstFrameMs);
  // The names' placement, timed around the page's listeners of each picture shown (names.js's
  // alone; an older site had it as the single window.onPictureShown).
  await page.evaluate(() => {
    const owner = window.tessaloran && tessaloran.pictureShown ? tessaloran : window;
    const key = owner === window ? 'onPictureShown' : 'pictureShown';
    const place = owner[key];
    window.namesMs = 0;
    window.namesPlaced = 0;
    owner[key] = (...frame) => {
      const start = performance.now();
      place(...frame);
      window.namesMs += performance.now() - start;
      window.namesPlaced += 1;
    };
  });

  const results = [];
  const summary = (name, blocks) => ({
    name,
    fps: median(blocks.map((b) => b.fps)),
    codeMs: median(blocks.map((b) => b.codeMs)),
    drawingMs: median(blocks.map((b) => b.drawingMs)),
    namesMs: median(blocks.map((b) => b.namesMs)),
    vertices: blocks[blocks.length - 1].vertices,
  });
  const measure = async (name) => {
    const blocks = [];
    for (let r = 0; r < rounds; r += 1) {
      blocks.push(await measureBlock(page));
    }
    results.push(summary(name, blocks));
  };
  // The scene at lines 1 and 3 px wide, a block of each in turn, back at 1 px after.
  const measureWidths = async (name) => {
    const blocks = { 1: [], 3: [] };
    for (let r = 0; r < rounds; r += 1) {
      for (const width of [1, 3]) {
        await chooseLineWidth(page, width);
        blocks[width].push(await measureBlock(page));
      }
    }
    await chooseLineWidth(page, 1);
    const [thin, wide] = [summary(name, blocks[1]), summary(`${name}, lines 3 px`, blocks[3])];
    wide.share = wide.fps / thin.fps;
    results.push(thin, wide);
  };

  await measureWidths('start');
  // At 1000 times real time a shell is born every 60 ms and lives 6 s: the shells fill up.
  await press(page, ']', 3);
  const fillStart = Date.now();
  let before = -1;
  for (;;) {
    await new Promise((resolve) => setTimeout(resolve, 2000));
    const now = await liveVertices(page);
    if ((now === before && Date.now() - fillStart > 8000) || Date.now() - fillStart > 60000) break;
    before = now;
  }
  await press(page, '[', 3);
  await measureWidths('100 live light shells');
  await press(page, "'", 4);
  await press(page, '#');
  await press(page, '+', 12);
  await measure('heaviest view');
  await press(page, 'x', 37);
  await press(page, ']', 6);
  await measure('names moving');

  const siteBytes = readdirSync(site).reduce((sum, f) => sum + statSync(join(site, f)).size, 0);
  const chromium = await browser.version();
  console.log(`${chromium}, SwiftShader WebGL, ${rounds} blocks of ${seconds} s per scene (median)`);
  console.log('| Scene | fps | Frame code, CPU | Handing to the painter | Placing the names | Vertices |');
  console.log('|---|---|---|---|---|---|');
  for (const r of results) {
    const share = r.share === undefined ? '' : ` (${r.share.toFixed(2)} of 1 px)`;
    console.log(`| ${r.name} | ${r.fps.toFixed(1)}${share} | ${r.codeMs.toFixed(2)} ms | ` +
        `${r.drawingMs.toFixed(2)} ms | ${r.namesMs.toFixed(3)} ms | ${r.vertices} |`);
  }
  console.log(`load average (1 min) ${loadAtStart.toFixed(2)} at the start, ` +
      `${loadavg()[0].toFixed(2)} at the end`);
  console.log(`first frame ${firstFrameMs.toFixed(0)} ms after navigation start; ` +
      `site ${(siteBytes / 1024).toFixed(0)} KiB`);
} finally {
  await browser.close();
  server.close();
}
