// The lines' width: the control #line-width draws the picture's lines 1, 2, 3 or 5 CSS pixels
// wide, for a projector in a lit room or a screen seen from the back of a class. The painter
// (painter.js) reads `tessaloran.lineWidth` for each frame and draws it at that many CSS pixels, so
// at device pixel ratio 2 a line of 1 is 2 device pixels, as thick as on a desktop screen. At 3
// and 5 the page has the class wide-lines, which makes the names over the picture and the full
// screen's status line larger (index.html), so that what can be seen can be read; the event
// 'linewidthchange' on window says that the width has changed. The choice is kept in
// localStorage, also offline.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const widths = [1, 2, 3, 5];
  const stored = 'tessaloran.lineWidth';
  const control = document.getElementById('line-width');

  function storedChoice() {
    try {
      const width = Number(localStorage.getItem(stored));
      return widths.includes(width) ? width : 1;
    } catch (error) {
      return 1; // storage refused (a privacy setting): the thinnest, as the page starts
    }
  }

  function use(width) {
    tessaloran.lineWidth = width;
    control.value = String(width);
    document.documentElement.classList.toggle('wide-lines', width >= 3);
    window.dispatchEvent(new Event('linewidthchange'));
  }

  // Each width's words in the page's language, its number from Intl.
  function label() {
    for (const option of control.options) {
      option.textContent = i18n.t('lineWidth.option', { width: i18n.number(Number(option.value)) });
    }
  }

  control.addEventListener('change', () => {
    const width = Number(control.value);
    use(width);
    try {
      localStorage.setItem(stored, String(width));
    } catch (error) {
      // Not kept: the choice holds for this visit only.
    }
  });
  use(storedChoice());
  i18n.onChange(label);
})();
