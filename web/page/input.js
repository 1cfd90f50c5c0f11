// Keys and the mouse, for the program: the browser's key and pointer events become the
// program's keyboard, mouse and motion callbacks (through the toolkit's web* entry points, with the
// codes freeglut delivers on X11), and each on-screen key its key press. Each browser quirk is
// handled in one place below, with the reason beside it.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const pointer = tessaloran.pointer; // page.js: the pointer's last place

  // ---- Keys: the code freeglut's X11 key lookup gives for the same press ----

  const namedKeys = { Backspace: 8, Tab: 9, Enter: 13, Escape: 27, Delete: 127 };

  // Xlib's control translation of a character typed with Ctrl held.
  function withControl(c) {
    if ((c >= 64 && c < 127) || c === 32) return c & 0x1f;
    if (c === 50) return 0; // Ctrl+2
    if (c >= 51 && c <= 55) return c - 24; // Ctrl+3 to Ctrl+7 give 27 to 31
    if (c === 56) return 127; // Ctrl+8
    if (c === 47) return 31; // Ctrl+/
    return c;
  }

  // null for a key without a character (arrows, F keys, Shift alone, a dead key): X11's lookup
  // gives no character for them and freeglut calls no keyboard callback, so nothing is printed.
  function keyCode(event) {
    if (Object.prototype.hasOwnProperty.call(namedKeys, event.key)) {
      return namedKeys[event.key];
    }
    const characters = Array.from(event.key);
    if (characters.length !== 1) return null;
    const c = characters[0].codePointAt(0);
    // X11's lookup yields Latin-1 bytes; a character past them has no one-byte code.
    if (c > 255) return null;
    // Ctrl with Alt is AltGr on some systems, which types a character of its own.
    if (event.ctrlKey && !event.altKey) return withControl(c);
    return c;
  }

  window.addEventListener('keydown', (event) => {
    const code = keyCode(event);
    if (code === null || !tessaloran.started) return;
    // The page's own use of these keys (Tab moves focus, Backspace may go back, Space scrolls)
    // would take the press from the program. Ctrl and Meta chords keep the browser's shortcuts.
    if (!event.ctrlKey && !event.metaKey) event.preventDefault();
    const [x, y] = pointer.last;
    Module._webKeyboard(code, x, y);
  });

  // ---- Mouse drags: a press or release per button through the mouse callback, then one motion
  // event per pointer move with a button held, in drawing-buffer pixels from the top left ----

  const buttonBits = [
    [1, 0], // browser bit 1: left, freeglut button 0
    [4, 1], // bit 4: middle, button 1
    [2, 2], // bit 2: right, button 2
  ];
  let buttonsDown = 0;

  // Pointer events report a second button pressed during a drag as a move with new `buttons`;
  // each change becomes its own press or release, as X11 reports them.
  function syncButtons(event) {
    const [x, y] = pointer.canvasPosition(event);
    for (const [bit, button] of buttonBits) {
      const now = event.buttons & bit;
      if (now === (buttonsDown & bit)) continue;
      buttonsDown ^= bit;
      Module._webMouseButton(button, now ? 0 : 1, x, y);
    }
  }

  function isMouse(event) {
    return event.pointerType === 'mouse' || event.pointerType === 'pen';
  }

  canvas.addEventListener('pointerdown', (event) => {
    if (!isMouse(event) || !tessaloran.started) return;
    // Keeps the drag ours when the pointer leaves the canvas, as X11's implicit grab does.
    canvas.setPointerCapture(event.pointerId);
    canvas.focus({ preventScroll: true });
    event.preventDefault();
    syncButtons(event);
  });

  canvas.addEventListener('pointermove', (event) => {
    if (!isMouse(event) || !tessaloran.started) return;
    // Only a change of `buttons` is a press or release: WebKitGTK repeats the last chorded press
    // in `button` on the move after it.
    if (event.buttons !== buttonsDown) {
      syncButtons(event);
      return;
    }
    if (buttonsDown === 0) return;
    // The browser merges the moves of one animation frame into one event; the desktop sees each.
    const moves = event.getCoalescedEvents ? event.getCoalescedEvents() : [];
    for (const move of moves.length > 0 ? moves : [event]) {
      const [x, y] = pointer.canvasPosition(move);
      Module._webMotion(x, y);
    }
  });

  canvas.addEventListener('pointerup', (event) => {
    if (!isMouse(event) || !tessaloran.started) return;
    syncButtons(event);
  });

  // A drag cut short by the browser (a system gesture, the tab losing focus) releases every
  // button, so no button stays down in the program.
  canvas.addEventListener('pointercancel', (event) => {
    if (!isMouse(event) || !tessaloran.started) return;
    syncButtons({ clientX: event.clientX, clientY: event.clientY, buttons: 0 });
  });

  // ---- On-screen keys: each button sends its data-key through the keyboard callback ----

  for (const button of document.querySelectorAll('button[data-key]')) {
    // Keeps the focus where it is, so a later Enter or Space is a key press, not a button press.
    button.addEventListener('mousedown', (event) => event.preventDefault());
    button.addEventListener('click', () => {
      if (!tessaloran.started) return;
      const [x, y] = pointer.last;
      Module._webKeyboard(Number(button.dataset.key), x, y);
    });
  }

  // A right drag must not open the context menu, nor a middle drag scroll or paste.
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('mousedown', (event) => event.preventDefault());
  canvas.addEventListener('auxclick', (event) => event.preventDefault());
})();
