// Save picture: the button #save saves the picture as it is on screen as a PNG file, at the
// canvas's full resolution (its drawing buffer: CSS size times the device pixel ratio), with the
// bodies' names drawn in where the page shows them over the picture (the elements
// `#names-layer [data-body]`, from their boxes and computed fonts, scaled to the buffer). The file
// is named for what it shows: the body followed ("sun", "no-body") and the model time elapsed in
// its largest unit, as tessaloran-earth-18-days.png. A blob address on an <a download> saves it
// from a server, offline, from a folder and in the installed app alike.
'use strict';

(function () {
  const button = document.getElementById('save');
  const canvas = document.getElementById('canvas');
  const bodies = ['sun', 'mercury', 'venus', 'earth', 'mars', 'jupiter', 'saturn', 'uranus',
    'neptune', 'pluto'];
  const units = [['year', 365.25 * 86400], ['day', 86400], ['hour', 3600], ['minute', 60],
    ['second', 1]];

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
      context.font = `${style.fontStyle} ${style.fontWeight} ` +
          `${parseFloat(style.fontSize) * scale}px ${style.fontFamily}`;
      context.fillStyle = style.color;
      context.textBaseline = 'middle';
      context.fillText(name.textContent, left + inset * scale, top + at.height * scale / 2);
    }
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

  // Keeps the focus where it is, as the on-screen keys do.
  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => {
    // Nothing is drawn before the program has started, nor without WebGL.
    if (!window.Module || !Module.calledRun || canvas.style.display === 'none') return;
    const name = fileName();
    window.nextPicture().then((picture) => {
      drawNames(picture.getContext('2d'));
      picture.toBlob((blob) => download(blob, name), 'image/png');
    });
  });
})();
