// Save picture: the button #save saves the picture as it is on screen as a PNG file, at the
// canvas's full resolution (its drawing buffer: CSS size times the device pixel ratio), with the
// bodies' names drawn in where the page shows them over the picture (the elements
// `#names-layer [data-body]`, from their boxes, computed fonts and outlines, scaled to the
// buffer). The file is named for what it shows: the body followed ("sun", "no-body") and the
// model time elapsed in its largest unit, as tessaloran-earth-18-days.png. A blob address on an
// <a download> saves it from a server, offline, from a folder and in the installed app alike; a
// browser that cannot make the file says so in a notice (#save-notice).
'use strict';

(function () {
  const button = document.getElementById('save');
  const canvas = document.getElementById('canvas');
  // The bodies' and the units' English names, as the status line has them (status.js).
  const { bodies, units } = tessaloran.statusWords;

  function fileName() {
    const followed = Module._webStatus(2);
    const who = followed >= 0 ? bodies[followed] : 'no-body';
    const seconds = Math.floor(Module._webStatus(1));
    const [unit, size] = units.find(([, length]) => seconds >= length) || units[units.length - 1];
    const n = Math.floor(seconds / size);
    return `tessaloran-${who}-${n}-${unit}${n === 1 ? '' : 's'}.png`;
  }

  // A name the page shows: not hidden, nor in anything hidden, and with a box.
  function shown(element) {
    const style = getComputedStyle(element);
    return element.getClientRects().length > 0 && style.visibility !== 'hidden' &&
        Number(style.opacity) > 0;
  }

  // Each shown name where it is over the canvas, in its own font, colour and background.
  function drawNames(context) {
    const box = canvas.getBoundingClientRect();
    const scale = canvas.width / box.width;
    for (const name of document.querySelectorAll('#names-layer [data-body]')) {
      if (!shown(name)) continue;
      const style = getComputedStyle(name);
      const at = name.getBoundingClientRect();
      const [left, top] = [(at.left - box.left) * scale, (at.top - box.top) * scale];
      if (!/^(transparent|rgba\(.*, 0\))$/.test(style.backgroundColor)) {
        context.fillStyle = style.backgroundColor;
        context.fillRect(left, top, at.width * scale, at.height * scale);
      }
      const inset = parseFloat(style.borderLeftWidth) + parseFloat(style.paddingLeft);
      const above = parseFloat(style.borderTopWidth) + parseFloat(style.paddingTop);
      const below = parseFloat(style.borderBottomWidth) + parseFloat(style.paddingBottom);
      const font = (size) => `${style.fontStyle} ${style.fontWeight} ${size}px ${style.fontFamily}`;
      const fontSize = parseFloat(style.fontSize);
      context.font = font(fontSize);
      const down = baseline(context, name.textContent, at.height - above - below);
      context.font = font(fontSize * scale);
      const [x, y] = [left + inset * scale, top + (above + down) * scale];
      // The outline first: the shadows alone (the text drawn far off the picture, each shadow
      // brought back over it), the last listed lowest, as the page draws them.
      const far = 2 * (canvas.width + at.width * scale);
      for (const [colour, dx, dy, blur] of shadows(style.textShadow).reverse()) {
        context.shadowColor = colour;
        context.shadowBlur = blur * scale;
        context.shadowOffsetX = far + dx * scale;
        context.shadowOffsetY = dy * scale;
        context.fillText(name.textContent, x - far, y);
      }
      context.shadowColor = 'transparent';
      context.fillStyle = style.color;
      context.fillText(name.textContent, x, y);
    }
  }

  // A computed text-shadow ("rgb(0, 0, 0) 1px 1px 2px, ...") as [colour, x, y, blur] in CSS
  // pixels, in the order listed (the first on top).
  function shadows(textShadow) {
    if (!textShadow || textShadow === 'none') return [];
    return textShadow.split(/,(?![^(]*\))/).map((shadow) => {
      const colour = /rgba?\([^)]*\)|#\w+|[a-z]+/i.exec(shadow);
      const [dx = 0, dy = 0, blur = 0] = (shadow.replace(colour, '').match(/-?[\d.]+/g) || [])
        .map(Number);
      return [colour ? colour[0] : 'black', dx, dy, blur];
    });
  }

  // How far below the top of a line box `height` CSS pixels tall the page puts the text's
  // baseline: the font's ascent and descent (at its CSS size, as the page lays it out) centred
  // in the line. A browser that does not give the font's ascent has the text's middle at the
  // line's.
  function baseline(context, text, height) {
    const { fontBoundingBoxAscent: ascent, fontBoundingBoxDescent: descent } =
        context.measureText(text);
    if (ascent === undefined) {
      context.textBaseline = 'middle';
      return height / 2;
    }
    context.textBaseline = 'alphabetic';
    return (height - ascent - descent) / 2 + ascent;
  }

  function download(blob, name) {
    const address = URL.createObjectURL(blob);
    const link = document.createElement('a');
    link.href = address;
    link.download = name;
    link.click();
    // The browser has begun reading the file by the time a minute has passed.
    setTimeout(() => URL.revokeObjectURL(address), 60000);
  }

  // The picture as it is saved: the next picture shown, with the names drawn in. The browser
  // tests compare it with the screen where they cannot see the download.
  tessaloran.pictureToSave = () => tessaloran.nextPicture().then((picture) => {
    drawNames(picture.getContext('2d'));
    return picture;
  });

  // Says that the picture could not be saved (a browser out of memory for the PNG gives no file).
  function saveFailed() {
    const notice = document.getElementById('save-notice');
    notice.hidden = false;
    notice.querySelector('button').onclick = () => { notice.hidden = true; };
  }

  // One save at a time: a click while the picture is still to be shown or encoded does nothing,
  // so clicks on a page that shows no picture (a hidden tab) do not pile up.
  let saving = false;

  // Keeps the focus where it is, as the on-screen keys do.
  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => {
    // Nothing is drawn before the program has started, nor without WebGL.
    if (saving || !tessaloran.started || canvas.style.display === 'none') return;
    saving = true;
    const name = fileName();
    tessaloran.pictureToSave().then((picture) => {
      picture.toBlob((blob) => {
        saving = false;
        if (blob) download(blob, name);
        else saveFailed();
      }, 'image/png');
    });
  });
})();
