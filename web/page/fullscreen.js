// Full screen: the button #fullscreen puts the page's <main> on the whole screen, where the
// browser offers it. There the canvas takes the screen's own size (page.js asks
// tessaloran.fullScreenCanvasSize() for it whenever it fits the canvas, and the program gets the
// new drawing buffer through its reshape), and the status line with the picture's buttons (leave
// full screen, Pause, Names, Save picture, Keys) is a band over the picture's bottom edge: `main`
// has the class full-screen, which the stylesheet turns into that band. Keys opens the other
// on-screen keys as a tray over the picture and closes it again. Leaving full screen by the
// button, Escape or the browser's own control puts the page back where it was scrolled, the tray
// closed.
'use strict';

(function () {
  const { i18n } = tessaloran; // i18n.js: the page's words
  const button = document.getElementById('fullscreen');
  const keysButton = document.getElementById('show-keys');
  const tray = document.getElementById('tray');
  const stage = document.querySelector('main');
  // Safari before 16.4 knows the API only under its webkit names.
  const enabled = document.fullscreenEnabled || document.webkitFullscreenEnabled;
  let scrolled = [0, 0];

  function fullScreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  // The CSS size the canvas takes in full screen, or null outside it.
  tessaloran.fullScreenCanvasSize = function () {
    return fullScreenElement() === stage ? [window.innerWidth, window.innerHeight] : null;
  };

  function showTray(open) {
    tray.classList.toggle('open', open);
    keysButton.setAttribute('aria-expanded', String(open));
  }

  // The button's words in the page's language (i18n.js), for the state it is in.
  function label() {
    const full = fullScreenElement() === stage;
    button.textContent = i18n.t(full ? 'button.leaveFullScreen' : 'button.fullScreen');
    return full;
  }

  function changed() {
    const full = label();
    button.setAttribute('aria-pressed', String(full));
    stage.classList.toggle('full-screen', full);
    keysButton.hidden = !full;
    showTray(false);
    // page.js refits the canvas on resize; a browser that changes the viewport without one
    // still gets its refit here. The scroll is put back after it, with the page at its own size
    // again.
    window.dispatchEvent(new Event('resize'));
    if (!full) window.scrollTo(scrolled[0], scrolled[1]);
  }

  i18n.onChange(label);
  if (!enabled) return;
  // It stays hidden where there is no full screen, rather than do nothing.
  button.hidden = false;
  // Both keep the focus where it is, as the on-screen keys do, so every key press stays the
  // program's.
  for (const control of [button, keysButton]) {
    control.addEventListener('mousedown', (event) => event.preventDefault());
  }
  keysButton.addEventListener('click', () => showTray(!tray.classList.contains('open')));
  button.addEventListener('click', () => {
    if (fullScreenElement()) {
      (document.exitFullscreen || document.webkitExitFullscreen).call(document);
      return;
    }
    scrolled = [window.scrollX, window.scrollY];
    // A refusal (no user gesture, a policy) leaves the page as it is.
    const asked = (stage.requestFullscreen || stage.webkitRequestFullscreen).call(stage);
    if (asked) asked.catch(() => {});
  });
  document.addEventListener('fullscreenchange', changed);
  document.addEventListener('webkitfullscreenchange', changed);
})();
