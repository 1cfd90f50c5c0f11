// What the page's scripts share: one object, window.tessaloran, which i18n.js (in the page's head,
// the first script to run) makes with the page's words in it, and to which each later script adds
// its part. The scripts are classic scripts, run in the order index.html gives (a page opened from
// a folder runs no modules), so a script uses only what the scripts before it added, or, in what
// it does later, what any of them added. Emscripten's `window.Module` (page.js) stays apart.
//
//   i18n                       the page's words, numbers and units in its language (i18n.js)
//   started                    whether the program has started: its entry points may be called
//                              (page.js says so once its main has run); false before
//   onStarted(callback)        calls callback() once the program has started (at once if it has)
//   programStarted()           says the program has started (page.js alone calls it)
//   loadScript(src)            adds the site's script `src` to the page; a promise that settles
//                              once it has run, or rejects where it cannot be had
//   programFailed              true once the program's script could not be loaded or the program
//                              stopped on an error (page.js)
//   onPictureShown(listener)   calls listener(anchors, viewport, size) for each picture shown:
//                              the clip coordinates of the bodies' globe centres that picture was
//                              drawn with, its viewport and the drawing buffer's size (names.js
//                              places the names from them; anyone may listen); returns a function
//                              that stops the calls
//   pictureShown(anchors, viewport, size)
//                              tells the listeners of a picture shown (painter.js alone calls it)
//   makeWideLines(gl)          the drawing of lines wider than one pixel (wide-lines.js)
//   painter                    a promise of the function that paints a frame, or of null where
//                              the browser has no WebGL (painter.js)
//   framesPainted              the pictures shown so far, for the benchmark (painter.js)
//   nextPicture()              a promise of a copy of the next picture shown (painter.js)
//   pointer                    the pointer's last place in drawing-buffer pixels, `last`, and
//                              canvasPosition(event), which sets it (page.js; input.js, touch.js)
//   fullScreenCanvasSize()     the canvas's CSS size in full screen, or null (fullscreen.js)
//   statusWords                the bodies' and units' message names of the status line (status.js)
//   namedBodies                the bodies' message names in the program's order (names.js)
//   namesShown(), showNames(on)
//                              whether the names show, and showing them or not (names.js)
//   showBodyFacts(body)        opens the About panel on a body, by its place in namedBodies
//                              (about.js)
//   pauseButtonFollowsClock()  sets the Pause button from the program's clock (pause.js)
//   pictureToSave()            a promise of the picture as Save picture saves it (save.js)
//   lineWidth                  the lines' width chosen, in CSS pixels (line-width.js)
'use strict';

(function () {
  const shared = window.tessaloran;

  let started = false;
  const startListeners = [];
  Object.defineProperty(shared, 'started', { get: () => started, enumerable: true });
  shared.onStarted = (callback) => {
    if (started) callback();
    else startListeners.push(callback);
  };
  shared.programStarted = () => {
    started = true;
    for (const callback of startListeners.splice(0)) callback();
  };

  shared.loadScript = (src) => new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = src;
    script.onload = resolve;
    script.onerror = reject;
    document.head.appendChild(script);
  });

  const pictureListeners = [];
  shared.onPictureShown = (listener) => {
    pictureListeners.push(listener);
    return () => {
      const at = pictureListeners.indexOf(listener);
      if (at >= 0) pictureListeners.splice(at, 1);
    };
  };
  // A listener that throws keeps neither the others nor the painter from their work; its error
  // is still reported, as uncaught.
  shared.pictureShown = (anchors, viewport, size) => {
    for (const listener of pictureListeners.slice()) { // a listener may stop its calls
      try {
        listener(anchors, viewport, size);
      } catch (error) {
        setTimeout(() => { throw error; });
      }
    }
  };
})();
