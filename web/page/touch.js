// Touch, for the program: each gesture is one of the program's own drags, through the toolkit's
// web* entry points as input.js's mouse drags are.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const pointer = tessaloran.pointer; // page.js: the pointer's last place

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
    return [pointer.canvasPosition(touches[0]), pointer.canvasPosition(touches[1])];
  }

  canvas.addEventListener('touchstart', (event) => {
    // No scrolling, page zoom, text selection or long-press menu: the canvas takes every touch.
    event.preventDefault();
    if (!tessaloran.started) return;
    const touches = event.touches;
    if (touches.length === 1 && gesture.kind === null) {
      gesture.kind = 'one';
      pressButtons([2], pointer.canvasPosition(touches[0]));
    } else if (touches.length === 2 && (gesture.kind === 'one' || gesture.kind === null)) {
      const [a, b] = twoFingers(touches);
      releaseButtons(pointer.last);
      gesture.kind = 'two';
      gesture.startMid = midpoint(a, b);
      gesture.startDistance = distance(a, b);
    }
  }, { passive: false });

  canvas.addEventListener('touchmove', (event) => {
    event.preventDefault();
    if (!tessaloran.started) return;
    const touches = event.touches;
    if (gesture.kind === 'one' && touches.length === 1) {
      const [x, y] = pointer.canvasPosition(touches[0]);
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
      pointer.last = [gesture.startMid[0], y];
      Module._webMotion(gesture.startMid[0], y);
    } else {
      pointer.last = mid;
      Module._webMotion(mid[0], mid[1]);
    }
  }, { passive: false });

  // Lifting a finger ends the gesture; the fingers left on the glass do nothing until all are up.
  function endTouches(event) {
    event.preventDefault();
    if (!tessaloran.started) return;
    if (gesture.buttons.length > 0) releaseButtons(pointer.last);
    gesture.kind = event.touches.length === 0 ? null : 'done';
  }
  canvas.addEventListener('touchend', endTouches, { passive: false });
  canvas.addEventListener('touchcancel', endTouches, { passive: false });
})();
