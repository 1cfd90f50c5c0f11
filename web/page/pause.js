// Pause: the button #pause stops model time and lets it run on again. The program's millisecond
// clock stands still while paused (webSetPaused), so no body moves and no light shell is emitted
// or grows, while keys, drags and touch act as before and the picture follows the camera. On
// resume the clock runs on from where it stood. Pausing is the page's alone: no key is bound to
// it, and the button keeps the focus where it is, so every key press stays the program's.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const button = document.getElementById('pause');
  let paused = false;

  // The label says what pressing the button does, in the page's language (i18n.js); the button
  // keeps the width of its longer word (page.css), so nothing beside it moves as it changes.
  function label() {
    button.textContent = i18n.t(paused ? 'button.resume' : 'button.pause');
    button.dataset.resume = i18n.t('button.resume');
  }

  function show() {
    label();
    button.setAttribute('aria-pressed', String(paused));
  }

  button.addEventListener('mousedown', (event) => event.preventDefault());
  button.addEventListener('click', () => {
    // Before the program has started there is no clock to stop.
    if (!tessaloran.started) return;
    paused = !paused;
    Module._webSetPaused(paused ? 1 : 0);
    show();
  });
  // A view opened from a link (share.js) sets the clock itself: the button then says so.
  tessaloran.pauseButtonFollowsClock = () => {
    paused = Module._webStatus(6) === 1;
    show();
  };
  i18n.onChange(label);
})();
