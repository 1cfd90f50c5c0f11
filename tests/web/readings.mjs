// What browser.mjs reads from the page for its actions: the status line, the canvas's sizes and
// counts, the caches, the words the page shows. readStatus and probe take the page; listCaches and
// readWords are evaluated in it.

export function readStatus(page) {
  return page.evaluate(() => {
    const line = document.getElementById('status');
    if (!window.statusRewrites) {
      window.statusRewrites = 0;
      new MutationObserver(() => { window.statusRewrites += 1; })
        .observe(line, { childList: true, characterData: true, subtree: true });
    }
    return { text: line.textContent, numbers: [0, 1, 2, 3, 4, 5].map((k) => Module._webStatus(k)),
      now: performance.now(), rewrites: window.statusRewrites };
  });
}

export function probe(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    const [vertices, primitives, overflowed, frames] =
        [0, 1, 2, 3].map((which) => Module._webFrameCount(which));
    return { css: [box.width, box.height], buffer: [canvas.width, canvas.height],
      box: [box.left, box.top, box.right, box.bottom], window: [innerWidth, innerHeight],
      scrollWidth: document.documentElement.scrollWidth, scroll: [scrollX, scrollY],
      fullscreen: document.fullscreenElement ? document.fullscreenElement.tagName : null,
      ratio: devicePixelRatio, vertices, primitives, overflowed, frames,
      layoutShift: window.layoutShift ?? null, layoutShifted: window.layoutShifted ?? null,
      missingWebGl: getComputedStyle(document.getElementById('missing')).display !== 'none',
      updateNotice: Boolean(document.getElementById('update')?.checkVisibility()) };
  });
}

export // Runs in the page: each cache's entries with the SHA-256 of their bodies.
async function listCaches() {
  const hex = (buffer) => Array.from(new Uint8Array(buffer),
    (b) => b.toString(16).padStart(2, '0')).join('');
  const found = {};
  for (const name of await caches.keys()) {
    const cache = await caches.open(name);
    found[name] = {};
    for (const request of await cache.keys()) {
      const body = await (await cache.match(request)).arrayBuffer();
      found[name][request.url] = hex(await crypto.subtle.digest('SHA-256', body));
    }
  }
  return found;
}

export // Runs in the page: what it says, and in which language.
function readWords() {
  const root = document.documentElement;
  const copy = document.body.cloneNode(true);
  for (const element of copy.querySelectorAll('#diagnostics, small, kbd, option, script')) {
    element.remove();
  }
  const format = (n, options) => new Intl.NumberFormat(root.lang, options).format(n);
  const numbers = [0, 1, 2, 3, 4, 5].map((k) => Module._webStatus(k));
  return { lang: root.lang, dir: root.dir, control: document.getElementById('language').value,
    title: document.title,
    description: document.querySelector('meta[name="description"]').content,
    text: copy.textContent.replace(/\s+/g, ' ').trim(),
    labels: Array.from(document.querySelectorAll('[aria-label]'), (e) => e.ariaLabel),
    status: document.querySelector('#status > span').textContent,
    intl: { time: format(numbers[0]), globes: format(numbers[4]),
      km: format(Math.round(numbers[5])) } };
}
