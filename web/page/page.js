// The page side of TESSALORAN in the browser: sizes the canvas, turns the browser's key, pointer
// and resize events into the program's callbacks (through the toolkit's web* entry points, with
// the codes freeglut delivers on X11) and shows the program's standard output. Each browser quirk
// is handled in one place below, with the reason beside it.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const diagnostics = document.getElementById('diagnostics');
  const missing = document.getElementById('missing');
  const maxWidth = 1024;
  const maxHeight = 768;
  const panelLines = 200; // the panel keeps the newest lines; the console keeps them all
  let ready = false; // the program's callbacks exist once main has run

  // ---- Standard output: one console message per completed line, as the desktop prints it ----

  function showLine(line) {
    console.log(line);
    const row = document.createElement('div');
    row.textContent = line;
    diagnostics.appendChild(row);
    while (diagnostics.childElementCount > panelLines) {
      diagnostics.firstElementChild.remove();
    }
    diagnostics.scrollTop = diagnostics.scrollHeight;
  }

  function showMissingWebGl() {
    canvas.style.display = 'none';
    missing.style.display = 'block';
  }

  // ---- The canvas: 1024 x 768 CSS pixels where the window has room, else the largest 4:3 that
  // fits; its drawing buffer has the device's pixels, and the program's reshape gets that size ----

  function fitCanvas() {
    const style = getComputedStyle(document.body);
    const roomX = document.documentElement.clientWidth -
        parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    const roomY = window.innerHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    // In full screen (fullscreen.js) the canvas takes the screen's size instead.
    const full = window.fullScreenCanvasSize ? window.fullScreenCanvasSize() : null;
    const cssWidth = full ? full[0]
      : Math.max(1, Math.floor(Math.min(maxWidth, roomX, roomY * maxWidth / maxHeight)));
    const cssHeight = full ? full[1] : Math.max(1, Math.floor(cssWidth * maxHeight / maxWidth));
    canvas.style.width = cssWidth + 'px';
    canvas.style.height = cssHeight + 'px';
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(cssWidth * ratio));
    const height = Math.max(1, Math.round(cssHeight * ratio));
    if (canvas.width === width && canvas.height === height) {
      return;
    }
    canvas.width = width;
    canvas.height = height;
    if (ready) {
      Module._webReshape(width, height);
    }
  }

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
    if (code === null || !ready) return;
    // The page's own use of these keys (Tab moves focus, Backspace may go back, Space scrolls)
    // would take the press from the program. Ctrl and Meta chords keep the browser's shortcuts.
    if (!event.ctrlKey && !event.metaKey) event.preventDefault();
    const [x, y] = lastPointer;
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
  let lastPointer = [0, 0];

  function canvasPosition(event) {
    const box = canvas.getBoundingClientRect();
    const x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
    const y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
    lastPointer = [x, y];
    return lastPointer;
  }

  // Pointer events report a second button pressed during a drag as a move with new `buttons`;
  // each change becomes its own press or release, as X11 reports them.
  function syncButtons(event) {
    const [x, y] = canvasPosition(event);
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
    if (!isMouse(event) || !ready) return;
    // Keeps the drag ours when the pointer leaves the canvas, as X11's implicit grab does.
    canvas.setPointerCapture(event.pointerId);
    canvas.focus({ preventScroll: true });
    event.preventDefault();
    syncButtons(event);
  });

  canvas.addEventListener('pointermove', (event) => {
    if (!isMouse(event) || !ready) return;
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
      const [x, y] = canvasPosition(move);
      Module._webMotion(x, y);
    }
  });

  canvas.addEventListener('pointerup', (event) => {
    if (!isMouse(event) || !ready) return;
    syncButtons(event);
  });

  // A drag cut short by the browser (a system gesture, the tab losing focus) releases every
  // button, so no button stays down in the program.
  canvas.addEventListener('pointercancel', (event) => {
    if (!isMouse(event) || !ready) return;
    syncButtons({ clientX: event.clientX, clientY: event.clientY, buttons: 0 });
  });

  // ---- Touch: each gesture is one of the program's own drags. One finger is the right-button
  // drag; two fingers are the left-and-right drag (pinch: zoom) or the middle drag (pan: walk),
  // decided once, at their first move, by whichever changes more. Touch events rather than
  // pointer events, so that one touchmove of two fingers is one motion event ----

  const gesture = {
    buttons: [], // the freeglut buttons the gesture holds down
    kind: null, // 'one', 'two' (undecided), 'pinch', 'pan', or 'done' once fingers were lifted
    startMid: null,
    startDistance: 0,
  };

  function midpoint(a, b) {
    return [Math.floor((a[0] + b[0]) / 2), Math.floor((a[1] + b[1]) / 2)];
  }

  function distance(a, b) {
    return Math.hypot(a[0] - b[0], a[1] - b[1]);
  }

  function pressButtons(buttons, [x, y]) {
    gesture.buttons = buttons;
    for (const button of buttons) Module._webMouseButton(button, 0, x, y);
  }

  function releaseButtons([x, y]) {
    for (const button of gesture.buttons) Module._webMouseButton(button, 1, x, y);
    gesture.buttons = [];
  }

  function twoFingers(touches) {
    return [canvasPosition(touches[0]), canvasPosition(touches[1])];
  }

  canvas.addEventListener('touchstart', (event) => {
    // No scrolling, page zoom, text selection or long-press menu: the canvas takes every touch.
    event.preventDefault();
    if (!ready) return;
    const touches = event.touches;
    if (touches.length === 1 && gesture.kind === null) {
      gesture.kind = 'one';
      pressButtons([2], canvasPosition(touches[0]));
    } else if (touches.length === 2 && (gesture.kind === 'one' || gesture.kind === null)) {
      const [a, b] = twoFingers(touches);
      releaseButtons(lastPointer);
      gesture.kind = 'two';
      gesture.startMid = midpoint(a, b);
      gesture.startDistance = distance(a, b);
    }
  }, { passive: false });

  canvas.addEventListener('touchmove', (event) => {
    event.preventDefault();
    if (!ready) return;
    const touches = event.touches;
    if (gesture.kind === 'one' && touches.length === 1) {
      const [x, y] = canvasPosition(touches[0]);
      Module._webMotion(x, y);
      return;
    }
    if (touches.length < 2 || !['two', 'pinch', 'pan'].includes(gesture.kind)) return;
    const [a, b] = twoFingers(touches);
    const mid = midpoint(a, b);
    const spread = distance(a, b) - gesture.startDistance;
    if (gesture.kind === 'two') {
      const shift = distance(mid, gesture.startMid);
      if (spread === 0 && shift === 0) return;
      gesture.kind = Math.abs(spread) > shift ? 'pinch' : 'pan';
      // The pinch's virtual pointer starts at the fingers' first midpoint.
      pressButtons(gesture.kind === 'pinch' ? [0, 2] : [1], gesture.startMid);
    }
    if (gesture.kind === 'pinch') {
      // Spreading moves the pointer up, which zooms in; closing moves it down.
      const y = Math.round(gesture.startMid[1] - spread);
      lastPointer = [gesture.startMid[0], y];
      Module._webMotion(gesture.startMid[0], y);
    } else {
      lastPointer = mid;
      Module._webMotion(mid[0], mid[1]);
    }
  }, { passive: false });

  // Lifting a finger ends the gesture; the fingers left on the glass do nothing until all are up.
  function endTouches(event) {
    event.preventDefault();
    if (!ready) return;
    if (gesture.buttons.length > 0) releaseButtons(lastPointer);
    gesture.kind = event.touches.length === 0 ? null : 'done';
  }
  canvas.addEventListener('touchend', endTouches, { passive: false });
  canvas.addEventListener('touchcancel', endTouches, { passive: false });

  // ---- On-screen keys: each button sends its data-key through the keyboard callback ----

  for (const button of document.querySelectorAll('button[data-key]')) {
    // Keeps the focus where it is, so a later Enter or Space is a key press, not a button press.
    button.addEventListener('mousedown', (event) => event.preventDefault());
    button.addEventListener('click', () => {
      if (!ready) return;
      const [x, y] = lastPointer;
      Module._webKeyboard(Number(button.dataset.key), x, y);
    });
  }

  // A right drag must not open the context menu, nor a middle drag scroll or paste.
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('mousedown', (event) => event.preventDefault());
  canvas.addEventListener('auxclick', (event) => event.preventDefault());

  // ---- The program ----

  window.Module = {
    canvas: canvas,
    print: showLine,
    printErr: (line) => console.warn(line),
    onMissingWebGl: showMissingWebGl,
    // The program starts once the painter knows where it draws (painter.js).
    preRun: [() => {
      Module.addRunDependency('painter');
      window.painter.then((paint) => {
        Module.paintFrame = paint; // null where there is no WebGL: the program says so
        Module.removeRunDependency('painter');
      });
    }],
    postRun: [() => { ready = true; }],
  };

  fitCanvas();
  window.addEventListener('resize', fitCanvas);
})();
