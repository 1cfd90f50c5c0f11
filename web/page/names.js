// The bodies' names over the picture: each of the fourteen bodies is named beside its globe's
// centre, in a layer of page text of its own (#names-layer) over the canvas, so that the canvas's
// pixels stay the program's. The names are placed from the program's own frames: the painter
// (painter.js) hands over, with each picture it shows, the clip coordinates of the globe centres
// that frame was drawn with, so a name keeps to its globe when the picture comes a frame late, in
// full screen and at any device pixel ratio.
//
// A name is left out where its body is behind the camera or its centre outside the picture, and
// where it would overlap a name placed before it: the Sun's first, then the followed body's, the
// planets', the moons'. Each frame places them afresh, so a name left out comes back as soon as
// there is room. A click or tap on the Sun's or a planet's name presses that body's on-screen
// follow key; on a moon's name (moons cannot be followed) it shows the moon's facts in the About
// panel (about.js, through tessaloran.showBodyFacts). The Names button (#names) shows and hides the
// layer; the choice is kept in localStorage. The names are in the page's language (i18n.js); each
// keeps its English name in data-body.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const canvas = document.getElementById('canvas');
  const layer = document.getElementById('names-layer');
  const button = document.getElementById('names');
  const stored = 'tessaloran.names';
  // In the order of the program's anchors (web/body_anchors.h), with the follow key's code for
  // the Sun and the planets.
  const bodies = [['Sun', 41], ['Mercury', 33], ['Venus', 64], ['Earth', 35], ['Moon', null],
    ['Mars', 36], ['Phobos', null], ['Deimos', null], ['Jupiter', 37], ['Saturn', 94],
    ['Uranus', 38], ['Neptune', 42], ['Pluto', 40], ['Charon', null]];
  const count = bodies.length;
  // The bodies' message names (body.earth), in the program's order of named bodies, for about.js.
  tessaloran.namedBodies = bodies.map(([name]) => name.toLowerCase());

  const labels = bodies.map(([name, key], body) => {
    const label = document.createElement('span');
    label.dataset.body = name;
    if (key !== null) {
      label.className = 'follow';
      const followKey = document.querySelector(`button[data-key="${key}"]`);
      // Keeps the focus where it is, as the on-screen keys do.
      label.addEventListener('mousedown', (event) => event.preventDefault());
      label.addEventListener('click', () => followKey.click());
    } else {
      label.className = 'about';
      label.addEventListener('mousedown', (event) => event.preventDefault());
      label.addEventListener('click', () => tessaloran.showBodyFacts(body));
    }
    layer.appendChild(label);
    return label;
  });
  // The names' boxes (CSS pixels) change only with their words (i18n.js writes them in the page's
  // language): measured at the first placing after that, apart from the page's start-up work, so
  // that other placing reads no layout.
  const widths = new Float64Array(count);
  const heights = new Float64Array(count);
  let measured = false;
  function write() {
    labels.forEach((label, body) => {
      label.textContent = i18n.t(`body.${bodies[body][0].toLowerCase()}`);
    });
    measured = false;
  }
  function measure() {
    const hidden = labels.map((label) => label.hidden);
    for (const label of labels) label.hidden = false;
    labels.forEach((label, body) => {
      widths[body] = label.offsetWidth;
      heights[body] = label.offsetHeight;
      label.hidden = hidden[body];
    });
    measured = true;
  }
  write();
  for (const label of labels) label.hidden = true;

  // The canvas's box in the stage, in CSS pixels, kept by a ResizeObserver.
  const box = { left: 0, top: 0, width: canvas.clientWidth, height: canvas.clientHeight };
  // What is on the layer: each name's position and whether it shows; and the last frame's.
  const xs = new Float64Array(count);
  const ys = new Float64Array(count);
  const placed = new Uint8Array(count);
  const order = new Int8Array(count); // the bodies in the order their names are placed
  let last = null;
  let shown = true;

  // Whether the name of order[k], at x, y, would overlap one placed before it.
  function overlaps(k, x, y) {
    for (let j = 0; j < k; j += 1) {
      const other = order[j];
      if (!placed[other]) continue;
      if (x < xs[other] + widths[other] && xs[other] < x + widths[order[k]] &&
          y < ys[other] + heights[other] && ys[other] < y + heights[order[k]]) {
        return true;
      }
    }
    return false;
  }

  function place() {
    if (!last || !shown) return;
    if (!measured) measure();
    const [anchors, viewport, size] = last;
    const followed = anchors[4 * count];
    let n = 0;
    order[n++] = 0;
    if (followed > 0) order[n++] = followed;
    for (let body = 1; body < count; body += 1) {
      if (body !== followed && bodies[body][1] !== null) order[n++] = body;
    }
    for (let body = 1; body < count; body += 1) {
      if (bodies[body][1] === null) order[n++] = body;
    }
    const scaleX = box.width / size[0];
    const scaleY = box.height / size[1];
    for (let k = 0; k < count; k += 1) {
      const body = order[k];
      const w = anchors[4 * body + 2];
      let room = false;
      let x = 0;
      let y = 0;
      // Drawn in this frame and in front of the camera.
      if (anchors[4 * body + 3] === 1 && w > 0) {
        x = (viewport[0] + (anchors[4 * body] / w + 1) / 2 * viewport[2]) * scaleX;
        y = (size[1] - viewport[1] - (anchors[4 * body + 1] / w + 1) / 2 * viewport[3]) * scaleY;
        room = x >= 0 && x <= box.width && y >= 0 && y <= box.height && !overlaps(k, x, y);
      }
      const label = labels[body];
      placed[body] = room ? 1 : 0;
      if (room && (x !== xs[body] || y !== ys[body] || label.hidden)) {
        xs[body] = x;
        ys[body] = y;
        // A transform, not left and top: it lays nothing out again and shifts no layout.
        label.style.transform = `translate(${x}px, ${y}px)`;
      }
      if (label.hidden === room) label.hidden = !room;
    }
  }

  tessaloran.onPictureShown((anchors, viewport, size) => {
    last = [anchors, viewport, size];
    place();
  });

  // The layer covers the canvas's box, whatever size the page or full screen gives it.
  new ResizeObserver(() => {
    box.left = canvas.offsetLeft;
    box.top = canvas.offsetTop;
    box.width = canvas.clientWidth;
    box.height = canvas.clientHeight;
    layer.style.transform = `translate(${box.left}px, ${box.top}px)`;
    layer.style.width = box.width + 'px';
    layer.style.height = box.height + 'px';
    place();
  }).observe(canvas);

  function show(on) {
    shown = on;
    layer.hidden = !on;
    button.setAttribute('aria-pressed', String(on));
    place();
  }

  function storedChoice() {
    try {
      return localStorage.getItem(stored) !== 'off';
    } catch (error) {
      return true; // storage refused (a privacy setting): names as by default
    }
  }

  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => {
    show(!shown);
    try {
      localStorage.setItem(stored, shown ? 'on' : 'off');
    } catch (error) {
      // Not kept: the choice holds for this visit only.
    }
  });
  show(storedChoice());
  // For the links of share.js: whether the names show, and showing them or not for this visit.
  tessaloran.namesShown = () => shown;
  tessaloran.showNames = show;
  // In another language the names take its words, and the next frame places them anew.
  i18n.onChange(() => {
    write();
    place();
  });
  // At the wider lines the names are larger (line-width.js): measured again, placed anew.
  window.addEventListener('linewidthchange', () => {
    measured = false;
    place();
  });
})();
