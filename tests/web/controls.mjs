// browser.mjs's actions for the picture's controls (Pause, full screen's band and tray, Save
// picture):
//   {"tap": "#pause"}       taps the element (a touch screen's tap)
//   {"elements": "name", "selectors": ["#status", ...]}
//                           each element's box in the window, computed font size, whether it is
//                           shown, its text and aria-pressed / aria-expanded; to "elements"
//   {"nameBoxes": "name"}   the boxes of the bodies' names shown over the picture
//                           (#names-layer [data-body]), in CSS pixels from the canvas's top left;
//                           to "nameBoxes"
//   {"picture": "name"}     the picture as Save picture saves it (tessaloran.pictureToSave),
//                           written to name.png in the out folder, its path to "pictures" (any
//                           engine)
//   {"shoot": "name", "selector": "#share-code"}
//                           PNG of the element's box, written to name.png in the out folder, its
//                           path to "pictures"
//   {"save": "name"}        clicks #save and waits for the file it downloads (Chromium); its
//                           path and suggested name go to "saved"
//   {"about": "name"}       the About panel: whether it shows, its label, heading, facts (label
//                           and value pairs), live line and drift sentence; the model time
//                           elapsed, each named body's distance from the Earth as the program
//                           gives it, how often the live line has been rewritten, the page's
//                           clock (ms), the Sun's speed and, with "number": N, N as Intl formats
//                           them in the page's language; to "about"
import fs from 'node:fs';
import path from 'node:path';

function readElements(selectors) {
  const found = {};
  for (const selector of selectors) {
    const element = document.querySelector(selector);
    if (!element) {
      found[selector] = null;
      continue;
    }
    const box = element.getBoundingClientRect();
    const style = getComputedStyle(element);
    found[selector] = { box: [box.left, box.top, box.right, box.bottom],
      fontSize: parseFloat(style.fontSize), shown: element.getClientRects().length > 0,
      text: element.textContent.trim(), pressed: element.getAttribute('aria-pressed'),
      expanded: element.getAttribute('aria-expanded'), focused: document.activeElement === element };
  }
  return found;
}

function readAbout(number) {
  const panel = document.getElementById('about');
  const live = document.querySelector('#about-now dd');
  if (!window.aboutRewrites) {
    window.aboutRewrites = 0;
    new MutationObserver(() => { window.aboutRewrites += 1; })
      .observe(live, { childList: true, characterData: true, subtree: true });
  }
  const text = (selector) => document.querySelector(selector).textContent;
  return { shown: panel.checkVisibility(), tag: panel.tagName,
    label: document.getElementById(panel.getAttribute('aria-labelledby'))?.textContent ?? null,
    live: panel.querySelector('[aria-live]')?.getAttribute('aria-live') ?? null,
    title: text('#about-title'), what: text('#about-what'),
    facts: Array.from(document.querySelectorAll('#about-facts dt'),
      (dt) => [dt.textContent, dt.nextElementSibling.textContent]),
    now: live.textContent, nowShown: live.checkVisibility(), drift: text('#about-drift'),
    others: Array.from(document.querySelectorAll('#about-others button'), (b) => b.textContent),
    elapsed: Module._webStatus(1),
    fromEarth: Array.from({ length: 14 }, (_, body) => Module._webFromEarth(body, 0)),
    rewrites: window.aboutRewrites, at: performance.now(),
    intl: number === undefined ? null
      : new Intl.NumberFormat(document.documentElement.lang).format(number),
    speed: new Intl.NumberFormat(document.documentElement.lang, { style: 'unit',
      unit: 'kilometer-per-second', unitDisplay: 'short' }).format(241.35) };
}

function readNameBoxes() {
  const canvas = document.getElementById('canvas').getBoundingClientRect();
  return Array.from(document.querySelectorAll('#names-layer [data-body]'))
    .filter((name) => name.getClientRects().length > 0 &&
        getComputedStyle(name).visibility !== 'hidden')
    .map((name) => {
      const box = name.getBoundingClientRect();
      return [box.left - canvas.left, box.top - canvas.top, box.right - canvas.left,
        box.bottom - canvas.top];
    });
}

export function controlActions({ page, browser, result, out }) {
  result.elements = {};
  result.nameBoxes = {};
  result.saved = {};
  result.pictures = {};
  result.about = {};
  let downloads = null;
  return {
    tap: (action) => page.tap(action.tap),
    elements: async (action) => {
      result.elements[action.elements] = await page.evaluate(readElements, action.selectors);
    },
    about: async ({ about: name, number }) => {
      result.about[name] = await page.evaluate(readAbout, number);
    },
    nameBoxes: async ({ nameBoxes: name }) => {
      result.nameBoxes[name] = await page.evaluate(readNameBoxes);
    },
    picture: async ({ picture: name }) => {
      const url = await page.evaluate(() => tessaloran.pictureToSave().then((c) => c.toDataURL()));
      const file = path.join(path.resolve(out), name + '.png');
      fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
      result.pictures[name] = file;
    },
    shoot: async ({ shoot: name, selector }) => {
      const file = path.join(path.resolve(out), name + '.png');
      await (await page.$(selector)).screenshot({ path: file });
      result.pictures[name] = file;
    },
    save: async ({ save: name }) => {
      const folder = path.join(path.resolve(out), 'downloads-' + name);
      fs.mkdirSync(folder, { recursive: true });
      downloads = downloads ?? await browser.target().createCDPSession();
      await downloads.send('Browser.setDownloadBehavior',
        { behavior: 'allow', downloadPath: folder, eventsEnabled: true });
      let suggested = null;
      const begun = ({ suggestedFilename }) => { suggested = suggestedFilename; };
      downloads.on('Browser.downloadWillBegin', begun);
      const done = new Promise((resolve, reject) => {
        const progress = ({ state }) => {
          if (state === 'inProgress') return;
          downloads.off('Browser.downloadProgress', progress);
          if (state === 'completed') resolve();
          else reject(new Error('download ' + state));
        };
        downloads.on('Browser.downloadProgress', progress);
      });
      await page.click('#save');
      await Promise.race([done, new Promise((resolve, reject) => setTimeout(
        () => reject(new Error('no download in 20 s')), 20000))]);
      downloads.off('Browser.downloadWillBegin', begun);
      result.saved[name] = { name: suggested, path: path.join(folder, suggested) };
    },
  };
}
