// Full screen: the button #fullscreen puts the page's <main> (the picture with the status line and
// the on-screen keys below it) on the whole screen, where the browser offers it. There the canvas
// takes the screen's own size; page.js asks fullScreenCanvasSize() for it whenever it fits the
// canvas, and the program gets the new drawing buffer through its reshape. Leaving full screen by
// the button, Escape or the browser's own control puts the page back where it was scrolled.
'use strict';

(function () {
  const button = document.getElementById('fullscreen');
  const stage = document.querySelector('main');
  // Safari before 16.4 knows the API only under its webkit names.
  const enabled = document.fullscreenEnabled || document.webkitFullscreenEnabled;
  let scrolled = [0, 0];

  function fullScreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  // The CSS size the canvas takes in full screen, or null outside it.
  window.fullScreenCanvasSize = function () {
    return fullScreenElement() === stage ? [window.innerWidth, window.innerHeight] : null;
  };

  // The button's words in the page's language (i18n.js), for the state it is in.
  function label() {
    const full = fullScreenElement() === stage;
    button.textContent = i18n.t(full ? 'button.leaveFullScreen' : 'button.fullScreen');
    return full;
  }

  function changed() {
    const full = label();
    button.setAttribute('aria-pressed', String(full));
    if (!full) window.scrollTo(scrolled[0], scrolled[1]);
    // page.js refits the canvas on resize; a browser that changes the viewport without one
    // still gets its refit here.
    window.dispatchEvent(new Event('resize'));
  }

  i18n.onChange(label);
  if (!enabled) return;
  // Its group stays hidden where there is no full screen, rather than show empty.
  button.parentElement.hidden = false;
  // Keeps the focus where it is, as the on-screen keys do.
  button.addEventListener('mousedown', (event) => event.preventDefault());
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
