// Reads of the names over the picture (web/page/names.js) for browser.mjs's actions.

// The Names button's state, whether the layer shows, the canvas's CSS size and, per body, whether
// its name shows, its box relative to the canvas's (x, y, width, height) and whether it takes
// the pointer.
export function readNames(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('canvas').getBoundingClientRect();
    const layer = document.getElementById('names-layer');
    const labels = {};
    for (const label of layer.querySelectorAll('[data-body]')) {
      const b = label.getBoundingClientRect();
      labels[label.dataset.body] = { shown: label.checkVisibility(),
        box: [b.left - canvas.left, b.top - canvas.top, b.width, b.height],
        pointer: getComputedStyle(label).pointerEvents };
    }
    return { pressed: document.getElementById('names').getAttribute('aria-pressed'),
      layerShown: layer.checkVisibility(), canvas: [canvas.width, canvas.height], labels };
  });
}

// Clicks the first of the named bodies whose name shows; returns that body, or null.
export async function clickName(page, bodies) {
  for (const body of bodies) {
    const label = await page.$(`#names-layer [data-body="${body}"]`);
    if (label && await label.evaluate((element) => element.checkVisibility())) {
      await label.click();
      return body;
    }
  }
  return null;
}
