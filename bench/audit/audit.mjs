// Audits the web site as a visitor's browser sees it: Lighthouse's accessibility, best practices,
// SEO and performance scores for the desktop and mobile form factors, and axe-core's violations
// with all its rules. Serves the site with web/serve.py (plain caching: Last-Modified, no
// Cache-Control) and runs Debian's Chromium headless, a fresh one for every run. Prints one table
// of the medians and the axe violations.
//
//   (cd bench/audit && npm ci)   # Lighthouse 12.2.3 and axe-core, apart from the tests' npm ci
//   node bench/audit/audit.mjs SITE_DIR [--runs N] [--language TAG] [--click SELECTOR]
//
// --runs 0 leaves Lighthouse out: axe-core alone, for instance over every language in turn.
// --language gives the browser that language (ar: the page in Arabic, right to left).
// --click clicks that element once the program runs, before axe-core looks at the page
// (#show-about: with the About panel open).
// CHROME_PATH names another Chromium (default /usr/bin/chromium). Run it on an otherwise idle
// machine: Lighthouse's performance score follows the CPU time the page gets.
import { spawn } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createInterface } from 'node:readline';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import * as chromeLauncher from 'chrome-launcher';
import lighthouse from 'lighthouse';
import desktopConfig from 'lighthouse/core/config/desktop-config.js';
import puppeteer from 'puppeteer-core';

const here = dirname(fileURLToPath(import.meta.url));
const args = process.argv.slice(2);
const site = args[0];
const runs = args.includes('--runs') ? Number(args[args.indexOf('--runs') + 1]) : 3;
const language = args.includes('--language') ? args[args.indexOf('--language') + 1] : null;
const click = args.includes('--click') ? args[args.indexOf('--click') + 1] : null;
if (!site) {
  console.error('usage: node bench/audit/audit.mjs SITE_DIR [--runs N] [--language TAG] ' +
    '[--click SELECTOR]');
  process.exit(2);
}
const categories = ['accessibility', 'best-practices', 'seo', 'performance'];
// The tests' flags (tests/web/chromium.mjs): WebGL through SwiftShader, and no reaching out to
// hosts this machine cannot reach.
const chromeFlags = ['--headless=new', '--no-sandbox', '--use-angle=swiftshader',
  '--enable-unsafe-swiftshader', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--no-first-run',
  ...(language ? [`--lang=${language}`, `--accept-lang=${language}`] : [])];
const chromePath = process.env.CHROME_PATH || '/usr/bin/chromium';

async function serve() {
  const server = spawn('python3', [join(here, '..', '..', 'web', 'serve.py'), site, '0'],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const [url] = await createInterface({ input: server.stdout })[Symbol.asyncIterator]().next()
    .then(({ value }) => [value]);
  return { url, stop: () => server.kill() };
}

async function withChrome(work) {
  const chrome = await chromeLauncher.launch({ chromePath, chromeFlags });
  try {
    return await work(chrome);
  } finally {
    await chrome.kill();
  }
}

async function lighthouseRun(url, formFactor) {
  return withChrome(async (chrome) => {
    const config = formFactor === 'desktop' ? desktopConfig : undefined;
    const { lhr } = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error',
      onlyCategories: categories }, config);
    const scores = Object.fromEntries(categories.map((c) => [c, lhr.categories[c].score * 100]));
    scores.tbt = lhr.audits['total-blocking-time'].numericValue;
    scores.lcp = lhr.audits['largest-contentful-paint'].numericValue;
    const failed = Object.values(lhr.audits)
      .filter((a) => a.score !== null && a.score < 1 && a.scoreDisplayMode === 'binary')
      .map((a) => a.id);
    return { scores, failed };
  });
}

async function axeRun(url) {
  return withChrome(async (chrome) => {
    const browser = await puppeteer.connect({ browserURL: `http://127.0.0.1:${chrome.port}` });
    const page = await browser.newPage();
    // axe-core goes in as an inline script, which the page's Content-Security-Policy refuses.
    await page.setBypassCSP(true);
    await page.goto(url, { waitUntil: 'load' });
    if (click) {
      await page.waitForFunction(() => window.tessaloran && tessaloran.started, { timeout: 60000 });
      await page.click(click);
      await new Promise((resolve) => setTimeout(resolve, 500));
    }
    await page.addScriptTag({ content: readFileSync(join(here, 'node_modules', 'axe-core',
      'axe.min.js'), 'utf8') });
    const violations = await page.evaluate(async () => (await axe.run(document))
      .violations.map((v) => `${v.id} (${v.impact}): ${v.help}, ${v.nodes.length} node(s)`));
    await browser.disconnect();
    return violations;
  });
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const server = await serve();
try {
  console.log(`${site} at ${server.url}${language ? ` in ${language}` : ''}, ` +
    `Lighthouse median of ${runs} runs`);
  if (runs > 0) {
    console.log('form factor | accessibility | best practices | SEO | performance | TBT ms | ' +
      'LCP ms');
  }
  for (const formFactor of runs > 0 ? ['desktop', 'mobile'] : []) {
    const results = [];
    for (let i = 0; i < runs; i += 1) results.push(await lighthouseRun(server.url, formFactor));
    const m = (key) => Math.round(median(results.map((r) => r.scores[key])));
    console.log(`${formFactor} | ${m('accessibility')} | ${m('best-practices')} | ${m('seo')} | ` +
      `${m('performance')} | ${m('tbt')} | ${m('lcp')}`);
    const failed = [...new Set(results.flatMap((r) => r.failed))];
    if (failed.length > 0) console.log(`  failed audits: ${failed.join(', ')}`);
  }
  const violations = await axeRun(server.url);
  console.log(`axe-core${click ? ` after a click on ${click}` : ''}: ${violations.length} ` +
    'violation(s)');
  for (const violation of violations) console.log(`  ${violation}`);
} finally {
  server.stop();
}
