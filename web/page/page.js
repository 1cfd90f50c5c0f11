// The page side of TESSALORAN in the browser: sizes the canvas, shows the program's standard
// output and starts the program. Input reaches the program through input.js (keys, mouse, the
// on-screen keys) and touch.js (fingers), which share `tessaloran.pointer` with this file: the
// pointer's last place in drawing-buffer pixels. Once the program's main has run, this file says
// the program has started (`tessaloran.started`, shared.js).
//
// The program's script, tessaloran.js, with the WebAssembly in it, is the site's largest file by
// far. It is asked for only once the page has been painted with its words in its language (the
// browser's first contentful paint; i18n.js keeps a page in another language unpainted until
// then), so that over a slow network the words and controls show first and do not wait for it;
// the canvas is drawn as soon as it has come. A browser that does not report its paints gets it
// once the page is written, and a page that is never painted (in a tab behind others) after two
// seconds.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const diagnostics = document.getElementById('diagnostics');
  const missing = document.getElementById('missing');
  const maxWidth = 1024;
  const maxHeight = 768;
  const panelLines = 200; // the panel keeps the newest lines; the console keeps them all

  const pointer = {
    last: [0, 0],
    // An event's place on the canvas in drawing-buffer pixels from the top left; it becomes the
    // pointer's last place, which key presses report.
    canvasPosition(event) {
      const box = canvas.getBoundingClientRect();
      const x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
      const y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
      pointer.last = [x, y];
      return pointer.last;
    },
  };
  tessaloran.pointer = pointer;

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
    // The layout viewport's height: a phone's innerHeight can be a moment larger as full screen
    // ends, with no resize after it.
    const roomY = document.documentElement.clientHeight -
        parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    // In full screen (fullscreen.js) the canvas takes the screen's size instead.
    const full = tessaloran.fullScreenCanvasSize ? tessaloran.fullScreenCanvasSize() : null;
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
    if (tessaloran.started) {
      Module._webReshape(width, height);
    }
  }

  // ---- The program ----

  // Its script could not be had (a first visit that went offline) or it stopped on an error (a
  // browser that refuses its WebAssembly): the status line says so.
  function programFailed() {
    tessaloran.programFailed = true;
  }

  window.Module = {
    canvas: canvas,
    print: showLine,
    printErr: (line) => console.warn(line),
    onMissingWebGl: showMissingWebGl,
    onAbort: programFailed,
    // The program starts once the painter knows where it draws (painter.js).
    preRun: [() => {
      Module.addRunDependency('painter');
      tessaloran.painter.then((paint) => {
        Module.paintFrame = paint; // null where there is no WebGL: the program says so
        Module.removeRunDependency('painter');
      });
    }],
    postRun: [tessaloran.programStarted],
  };

  fitCanvas();
  window.addEventListener('resize', fitCanvas);

  let programAskedFor = false;
  function loadProgram() {
    if (programAskedFor) return;
    programAskedFor = true;
    tessaloran.loadScript('tessaloran.js').catch(programFailed);
  }
  setTimeout(loadProgram, 2000);
  const paints = window.PerformanceObserver && PerformanceObserver.supportedEntryTypes;
  if (paints && paints.includes('paint')) {
    const observer = new PerformanceObserver((list) => {
      if (list.getEntriesByName('first-contentful-paint').length === 0) return;
      observer.disconnect();
      setTimeout(loadProgram, 0);
    });
    observer.observe({ type: 'paint', buffered: true });
  } else {
    // A frame's callbacks run before it is painted; a task queued from one runs after.
    tessaloran.i18n.onChange(() => requestAnimationFrame(() => setTimeout(loadProgram, 0)));
  }
})();
