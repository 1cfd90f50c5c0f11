// Drives the TESSALORAN site in Debian's headless Chromium (SwiftShader WebGL), or in Debian's
// Firefox ESR on the display in DISPLAY (--engine firefox), for the browser tests: serves the site itself on 127.0.0.1 (or opens a given URL), waits for the first frame,
// carries out a list of actions with real input events and prints what the page did as JSON.
//
//   node tests/web/browser.mjs (--site DIR | --url URL) --out DIR [--viewport WxH] [--scale R]
//        [--engine chromium|firefox] [--actions JSON]            (without --actions the list is read from stdin)
//
// Actions, in order:
//   {"key": "Shift+9"}      press and release a key, modifiers held around it; a single digit or
//                           letter is its key on the keyboard, so Shift+9 types "("; NumpadN is the
//                           keypad's digit N with Num Lock on
//   {"drag": ["left", "right"], "path": [[x, y], ...], "pause": 20}
//                           press the buttons in order at the path's first point (canvas pixels),
//                           move to each further point `pause` ms apart, release them in reverse
//   {"viewport": [w, h]}    resize the browser window
//   {"wait": ms}
//   {"at": ms}              wait until `ms` after the first frame
//   {"screenshot": "name"}  PNG of the canvas's box, written to the out folder, without the names
//                           over it ("overlay": true keeps them); its time after the first frame
//                           (ms, the middle of the capture) goes to "times"
//   {"probe": "name"}       the canvas's CSS and drawing-buffer sizes and its box in the window,
//                           the page's scroll width, the last frame's counts, the frames drawn,
//                           the layout shift summed since the first paint (Chromium)
//   {"touch": [[[x, y], ...], ...], "pause": 40}
//                           one path per finger, all of one length: the fingers touch down at their
//                           first points, move together to each further point, and lift
//   {"tapButtons": true}    taps every on-screen key in page order; their data-key values and sizes
//                           go to "buttons"
//   {"tapButton": 93}       taps the on-screen key whose data-key is 93
//   {"click": "#fullscreen"} clicks the element with the mouse
//   {"exitFullscreen": true} leaves full screen as the browser's own control does
//   {"status": "name"}      the status line's text, the program's webStatus numbers, the page's
//                           clock (ms) and how often the line has been rewritten so far
//   {"names": "name"}       the names over the picture (names.mjs) go to "names"
//   {"clickName": [body, ...]}
//                           clicks the first of the bodies' names that shows; "clicked" says which
//   {"reload": true}        reloads the page and waits for its first frame again ("frame": false:
//                           only for the page's load, where no frame is to come)
//   {"accept": "#update button"}
//                           clicks what reloads the page, and waits for its first frame again
//   {"server": "stop"}      stops serving the site (--site only); {"server": DIR} serves DIR instead,
//                           at the same address
//   {"serviceWorker": "active"}
//                           waits until the page's service worker registration has an active
//                           worker ("waiting": a waiting one, a newer release installed)
//   {"installability": "name"}
//                           Chromium's installability errors for the page
//   {"caches": "name"}      every cache of the page's origin: {cache: {url: SHA-256 of the body}}
//   the picture's controls' actions (tap, elements, save): see controls.mjs
//   {"fault": ...}          takes from the page something it relies on: see faults.mjs
//   {"select": "#language", "value": "ar"}
//                           chooses the option with that value in the <select>
//   {"evaluate": "name", "expression": "tessaloran.i18n.language"}
//                           the expression's value in the page, to "evaluated"
//   {"words": "name"}       the page's language (lang, dir, the control's value), its title and
//                           description, the words it shows (text and aria-labels, without the
//                           diagnostic lines, the key characters and the language names) and the
//                           status line's text with the numbers Intl formats for its language
//
// --scale R gives the page a device pixel ratio of R (Chromium).
// --hash TEXT opens the page with the fragment #TEXT (a link to a view).
// In Firefox, key names are sent as the characters they type (Shift+9 as "("): its WebDriver BiDi
// keyboard knows no Space and types '"' for Quote. Touch and the keypad's digits need Chromium.
// --touch 1 gives the page a touch screen (a phone's: it honours the viewport meta tag).
// --webgl 0 starts a browser without WebGL, and waits for the page to say so instead of a frame.
// --languages pl-PL,pl gives the browser those languages (navigator.languages, Accept-Language).
// --base /a/b/ serves the site under that path rather than at the server's root (--site only).
// --worker-drawing 0 takes OffscreenCanvas from the page, as in a browser whose workers cannot
// draw, so the page draws on its canvas itself (Chromium).
//
// Output: {"console": [{type, text, load}], "errors": [...], "failedRequests": [...],
//          "screenshots": {name: path}, "times": {name: ms}, "probes": {name: {...}},
//          "responses": [{load, url, status, serviceWorker, sha256}], "installability": {...},
//          "caches": {...}, "words": {name: {...}},
//          "evaluated": {name: value}}
// A Content-Security-Policy violation in the page is one of its "errors", in either engine.
// `load` counts the main frame's documents: 1 for the first, 2 after a reload (or a document that
// loads the next one), and so on.
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { launchChromium, launchFirefox, serveSite } from './chromium.mjs';
import { clickName, readNames } from './names.mjs';
import { controlActions } from './controls.mjs';
import { faultActions } from './faults.mjs';
import { listCaches, probe, readStatus, readWords } from './readings.mjs';

const options = { viewport: '1100x900' };
for (let i = 2; i < process.argv.length; i += 2) {
  options[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
}
function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, Math.max(0, ms)));
}

function size(text) {
  return text.split('x').map(Number);
}

// "Shift+9" -> modifiers and the key's name in puppeteer's US layout: a digit or letter names
// the key (Digit9, KeyA), so that Shift gives its shifted character as a real keyboard does.
function parseKey(text) {
  const parts = text.length > 1 ? text.split('+') : [text];
  let key = parts.pop();
  if (/^[0-9]$/.test(key)) key = 'Digit' + key;
  else if (/^[a-zA-Z]$/.test(key)) key = 'Key' + key.toUpperCase();
  return { modifiers: parts, key };
}

// The character a US keyboard types for a key name with Shift, as Firefox is sent it.
const shifted = { Digit0: ')', Digit1: '!', Digit2: '@', Digit3: '#', Digit4: '$', Digit5: '%',
  Digit6: '^', Digit7: '&', Digit8: '*', Digit9: '(', Equal: '+', Quote: '"' };

function characterKey({ modifiers, key }) {
  const shift = modifiers.includes('Shift');
  const rest = modifiers.filter((modifier) => modifier !== 'Shift');
  let character = key;
  if (shift && key in shifted) character = shifted[key];
  else if (/^Key[A-Z]$/.test(key)) character = shift ? key[3] : key[3].toLowerCase();
  else if (/^(Digit|Numpad)[0-9]$/.test(key)) character = key.slice(-1);
  else if (key === 'Space') character = ' ';
  else if (shift) rest.unshift('Shift');
  return { modifiers: rest, key: character };
}

async function pressKey(page, session, text) {
  let { modifiers, key } = parseKey(text);
  if (!session) ({ modifiers, key } = characterKey({ modifiers, key }));
  for (const modifier of modifiers) await page.keyboard.down(modifier);
  const numpad = /^Numpad([0-9])$/.exec(key);
  if (numpad) {
    // Puppeteer's layout has the keypad with Num Lock off; this is its digit with Num Lock on.
    const event = { key: numpad[1], code: key, text: numpad[1], unmodifiedText: numpad[1],
      windowsVirtualKeyCode: 96 + Number(numpad[1]), location: 3 };
    await session.send('Input.dispatchKeyEvent', { type: 'keyDown', ...event });
    await session.send('Input.dispatchKeyEvent', { type: 'keyUp', ...event });
  } else {
    await page.keyboard.press(key);
  }
  for (const modifier of modifiers.reverse()) await page.keyboard.up(modifier);
}

async function drag(page, action) {
  const box = await (await page.$('#canvas')).boundingBox();
  const [[x0, y0], ...moves] = action.path;
  await page.mouse.move(box.x + x0, box.y + y0);
  for (const button of action.drag) await page.mouse.down({ button });
  for (const [x, y] of moves) {
    await sleep(action.pause ?? 20);
    await page.mouse.move(box.x + x, box.y + y);
  }
  for (const button of [...action.drag].reverse()) await page.mouse.up({ button });
}

// Touch points through the DevTools protocol, as a touch screen sends them.
async function touch(page, session, action) {
  const box = await (await page.$('#canvas')).boundingBox();
  const points = (k) => action.touch.map((finger, id) => ({
    x: box.x + finger[k][0], y: box.y + finger[k][1], id }));
  await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(0) });
  for (let k = 1; k < action.touch[0].length; k += 1) {
    await sleep(action.pause ?? 40);
    await session.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(k) });
  }
  await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
}

async function tapButtons(page, result) {
  result.buttons = [];
  for (const button of await page.$$('button[data-key]')) {
    const box = await button.boundingBox();
    result.buttons.push({ key: await button.evaluate((b) => Number(b.dataset.key)),
      size: [box.width, box.height] });
    await button.tap();
    await sleep(20);
  }
}

async function main() {
  const actions = JSON.parse(options.actions ?? fs.readFileSync(0, 'utf8'));
  fs.mkdirSync(options.out, { recursive: true });
  const base = options.base ?? '/';
  let server = options.site ? await serveSite(options.site, 0, base) : null;
  const url = (server ? server.url : options.url) + (options.hash ? '#' + options.hash : '');
  const webgl = options.webgl !== '0';
  const firefox = options.engine === 'firefox';
  const browser = firefox ? await launchFirefox() : await launchChromium({ webgl });
  const result = { url, console: [], errors: [], failedRequests: [], screenshots: {}, times: {},
    probes: {}, status: {}, responses: [], installability: {}, caches: {}, names: {}, words: {},
    evaluated: {} };
  const scale = Number(options.scale ?? 1);
  let load = 0;
  const bodies = [];
  try {
    const page = await browser.newPage();
    const [width, height] = size(options.viewport);
    const touchScreen = Boolean(options.touch);
    // Firefox's window is sized as asked; touch and a device pixel ratio are Chromium's.
    await page.setViewport(firefox ? { width, height } : { width, height,
      deviceScaleFactor: scale, hasTouch: touchScreen, isMobile: touchScreen });
    page.on('console', (message) => {
      result.console.push({ type: message.type(), text: message.text(), load });
      if (message.text().startsWith(violation)) result.errors.push(message.text());
    });
    page.on('pageerror', (error) => result.errors.push(String(error)));
    page.on('requestfailed', (request) => result.failedRequests.push(request.url()));
    page.on('response', (response) => {
      if (response.status() >= 400) {
        result.failedRequests.push(`${response.status()} ${response.url()}`);
      }
      const request = response.request();
      if (request.isNavigationRequest() && request.frame() === page.mainFrame()) load += 1;
      if (response.url().startsWith('data:')) return; // the script's own WebAssembly
      const entry = { load, url: response.url(), status: response.status(),
        serviceWorker: response.fromServiceWorker(), sha256: null };
      result.responses.push(entry);
      bodies.push(response.buffer().then((body) => {
        entry.sha256 = crypto.createHash('sha256').update(body).digest('hex');
      }, () => {}));
    });
    // The policy's refusals, which the browsers report to the console in ways puppeteer does not
    // see, are said there by the page's own listener, installed before anything else runs.
    await page.evaluateOnNewDocument((prefix) => {
      document.addEventListener('securitypolicyviolation', (event) => {
        console.error(`${prefix} ${event.violatedDirective} refused ` +
            `${event.blockedURI || 'inline'} (${event.sourceFile}:${event.lineNumber})`);
      });
    }, violation);
    if (options.languages) {
      const wanted = options.languages.split(',');
      await page.setExtraHTTPHeaders({ 'Accept-Language': wanted.join(',') });
      await page.evaluateOnNewDocument((list) => {
        Object.defineProperty(Navigator.prototype, 'languages', { get: () => list });
        Object.defineProperty(Navigator.prototype, 'language', { get: () => list[0] });
      }, wanted);
    }
    if (options['worker-drawing'] === '0') {
      await page.evaluateOnNewDocument(() => { delete window.OffscreenCanvas; });
    }
    // Every layout shift from the first paint on, summed (input or not) for the probes.
    if (!firefox) {
      await page.evaluateOnNewDocument(() => {
        window.layoutShift = 0;
        window.layoutShifted = [];
        new PerformanceObserver((list) => {
          for (const entry of list.getEntries()) {
            window.layoutShift += entry.value;
            for (const { node, previousRect: a, currentRect: b } of entry.sources) {
              window.layoutShifted.push(`${node?.nodeName}#${node?.id} at ` +
                `${Math.round(entry.startTime)} ms: ${[a.x, a.y, a.width, a.height]} -> ` +
                `${[b.x, b.y, b.width, b.height]}`);
            }
          }
        }).observe({ type: 'layout-shift', buffered: true });
      });
    }
    await page.goto(url, { waitUntil: 'load', timeout: 60000 });
    if (!webgl) {
      await page.waitForSelector('#missing', { visible: true, timeout: 60000 });
      actions.unshift({ probe: 'page' });
    }
    await waitForFirstFrame(page, webgl, result);
    let firstFrame = Date.now();
    const session = firefox ? null : await page.createCDPSession();
    const perform = {
      key: (action) => pressKey(page, session, action.key),
      drag: (action) => drag(page, action),
      viewport: ({ viewport: [width, height] }) => page.setViewport({ width, height,
        deviceScaleFactor: scale, hasTouch: touchScreen, isMobile: touchScreen }),
      touch: (action) => touch(page, session, action),
      tapButtons: () => tapButtons(page, result),
      tapButton: (action) => page.tap(`button[data-key="${action.tapButton}"]`),
      click: (action) => page.click(action.click),
      exitFullscreen: () => page.evaluate(() => document.exitFullscreen()),
      status: async (action) => {
        result.status[action.status] = await readStatus(page);
      },
      wait: (action) => sleep(action.wait),
      at: (action) => sleep(firstFrame + action.at - Date.now()),
      screenshot: async ({ screenshot: name, overlay }) => {
        const file = path.join(path.resolve(options.out), name + '.png');
        const names = (visibility) => page.evaluate((value) => {
          const layer = document.getElementById('names-layer');
          if (layer) layer.style.visibility = value;
        }, visibility);
        if (!overlay) await names('hidden');
        // The picture's moment is the middle of the capture alone, without hiding and showing
        // the names, which a busy machine can make slow on one side.
        const before = Date.now();
        await (await page.$('#canvas')).screenshot({ path: file });
        const after = Date.now();
        if (!overlay) await names('');
        result.screenshots[name] = file;
        result.times[name] = (before + after) / 2 - firstFrame;
      },
      names: async (action) => {
        result.names[action.names] = await readNames(page);
      },
      clickName: async (action) => {
        result.clicked = await clickName(page, action.clickName);
      },
      probe: async (action) => {
        result.probes[action.probe] = await probe(page);
      },
      reload: async (action) => {
        await page.reload({ waitUntil: 'load', timeout: 60000 });
        if (action.frame === false) return;
        await waitForFirstFrame(page, webgl, result);
        firstFrame = Date.now();
      },
      accept: async ({ accept: selector }) => {
        await Promise.all([page.waitForNavigation({ waitUntil: 'load', timeout: 60000 }),
          page.click(selector)]);
        await waitForFirstFrame(page, webgl, result);
        firstFrame = Date.now();
      },
      server: async ({ server: folder }) => {
        const port = server.port;
        await server.close();
        server = folder === 'stop' ? { close: () => {}, port }
          : await serveSite(folder, port, base);
      },
      serviceWorker: ({ serviceWorker: state }) => page.waitForFunction(async (wanted) => {
        const registration = await navigator.serviceWorker.getRegistration();
        return Boolean(registration && registration[wanted] &&
            (wanted !== 'active' || registration.active.state === 'activated'));
      }, { timeout: 60000 }, state),
      installability: async ({ installability: name }) => {
        result.installability[name] =
            (await session.send('Page.getInstallabilityErrors')).installabilityErrors;
      },
      caches: async ({ caches: name }) => {
        result.caches[name] = await page.evaluate(listCaches);
      },
      select: ({ select, value }) => page.select(select, value),
      evaluate: async ({ evaluate: name, expression }) => {
        result.evaluated[name] = await page.evaluate(expression);
      },
      words: async ({ words: name }) => {
        result.words[name] = await page.evaluate(readWords);
      },
    };
    Object.assign(perform, controlActions({ page, browser, result, out: options.out }),
      faultActions({ page }));
    for (const action of actions) {
      const kind = Object.keys(perform).find((name) => name in action);
      if (!kind) throw new Error('unknown action ' + JSON.stringify(action));
      await perform[kind](action);
    }
    // Console messages travel to us asynchronously: a round trip and a moment let the last arrive.
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve())));
    await sleep(300);
    await Promise.all(bodies);
  } finally {
    await browser.close();
    if (server) server.close();
  }
  process.stdout.write(JSON.stringify(result, null, 1) + '\n');
}

const violation = 'Content-Security-Policy violation:';

async function waitForFirstFrame(page, webgl, result) {
  // The program's functions throw until it has started (tessaloran.started), and an exception
  // would end puppeteer's polling in the page.
  try {
    await page.waitForFunction((drawing) => !drawing || window.tessaloran && tessaloran.started &&
        Module._webFrameCount(0) > 0, { timeout: 60000 }, webgl);
  } catch (error) {
    // Says what the page showed instead of a first frame.
    const state = await page.evaluate(() => ({
      missingWebGl: getComputedStyle(document.getElementById('missing')).display !== 'none',
      started: Boolean(window.tessaloran && tessaloran.started),
      frames: window.tessaloran && tessaloran.started ? Module._webFrameCount(3) : null,
    }));
    throw new Error(`no first frame: ${JSON.stringify({ state, ...result })}\n${error}`);
  }
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
