// Draws the program's frames with WebGL. A frame comes as the lines the program recorded: its
// vertices already in clip coordinates (x, y, z, w as floats, then four colour bytes: 20 bytes
// each), its primitives as (mode, first, count) triples drawn from them, the viewport, whether
// the frame was cleared, and the clip coordinates of the bodies' globe centres in that frame
// (web/body_anchors.h); the painter adds the lines' width in device pixels: at 1 they are drawn
// as GL_LINES, wider as triangles (wide-lines.js). When a frame's picture is shown,
// the listeners of tessaloran.onPictureShown (names.js) get that frame's anchors,
// viewport and drawing-buffer size, so that what is placed over the picture keeps to the picture
// on screen, also when the worker's picture comes a frame or two late.
//
// Where the browser gives a worker WebGL, the drawing happens in a worker, and each finished
// picture comes back as an ImageBitmap that the canvas shows ("bitmaprenderer"): the page's own
// thread then makes no WebGL call at all. Making a WebGL context waits on the browser's GPU side,
// which on a machine without a GPU held the page for a fifth of a second or more, and every
// frame's upload and draw calls leave the page's thread too. Elsewhere the same drawing runs in
// the page, on the canvas itself.
//
// `tessaloran.painter` settles, with the function that paints a frame or with null where the
// browser has no WebGL at all; `tessaloran.framesPainted` counts the frames shown, for the
// benchmark. A slow GPU shows fewer frames, never old ones: a frame waiting for the worker gives
// way to a newer one. `tessaloran.nextPicture()` settles with a copy of the next picture shown,
// for Save picture.
'use strict';

(function () {
  const makeWideLines = tessaloran.makeWideLines; // in the worker, its own source declares it

  // The drawing, on a canvas or an OffscreenCanvas. It is also part of the worker's source, so it
  // uses nothing from outside itself.
  function makeDrawing(canvas) {
    const gl = canvas.getContext('webgl',
      { alpha: false, depth: false, stencil: false, antialias: false });
    if (!gl) return null;
    const program = gl.createProgram();
    const attach = (kind, source) => {
      const shader = gl.createShader(kind);
      gl.shaderSource(shader, source);
      gl.compileShader(shader);
      gl.attachShader(program, shader);
    };
    // The vertices are in clip coordinates already, so the shader only passes them on.
    attach(gl.VERTEX_SHADER, `attribute vec4 clipPosition;
  attribute vec4 colour;
  varying vec4 lineColour;
  void main() {
    gl_Position = clipPosition;
    lineColour = colour;
  }`);
    attach(gl.FRAGMENT_SHADER, `precision mediump float;
  varying vec4 lineColour;
  void main() {
    gl_FragColor = lineColour;
  }`);
    gl.bindAttribLocation(program, 0, 'clipPosition');
    gl.bindAttribLocation(program, 1, 'colour');
    gl.linkProgram(program);
    gl.useProgram(program);
    const lines = gl.createBuffer();
    gl.bindBuffer(gl.ARRAY_BUFFER, lines);
    gl.enableVertexAttribArray(0);
    gl.vertexAttribPointer(0, 4, gl.FLOAT, false, 20, 0);
    gl.enableVertexAttribArray(1);
    gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, 20, 16);
    let capacity = 0; // bytes the vertex buffer holds; it grows, never shrinks
    const wide = makeWideLines(gl); // null: every width is drawn one pixel wide

    // frame: { size: [width, height] of the drawing buffer, viewport: [x, y, width, height],
    // clear, vertices: Uint8Array, primitives: Int32Array, lineWidth: device pixels }
    return (frame) => {
      const [width, height] = frame.size;
      if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
      }
      gl.viewport(...frame.viewport);
      if (frame.clear) gl.clear(gl.COLOR_BUFFER_BIT);
      if (wide && frame.lineWidth > 1) {
        wide(frame);
        gl.useProgram(program);
        gl.bindBuffer(gl.ARRAY_BUFFER, lines);
        gl.vertexAttribPointer(0, 4, gl.FLOAT, false, 20, 0);
        gl.vertexAttribPointer(1, 4, gl.UNSIGNED_BYTE, true, 20, 16);
        return;
      }
      if (frame.vertices.byteLength > capacity) {
        capacity = Math.max(frame.vertices.byteLength, 2 * capacity);
        gl.bufferData(gl.ARRAY_BUFFER, capacity, gl.STREAM_DRAW);
      }
      if (frame.vertices.byteLength > 0) gl.bufferSubData(gl.ARRAY_BUFFER, 0, frame.vertices);
      const p = frame.primitives;
      for (let k = 0; k + 2 < p.length; k += 3) gl.drawArrays(p[k], p[k + 1], p[k + 2]);
    };
  }

  // The worker: says at once whether it can draw, then draws each frame sent to it and sends the
  // picture back with the frame's vertex buffer, for the page to fill again.
  function drawingWorker() {
    const canvas = new OffscreenCanvas(1, 1);
    const draw = typeof canvas.transferToImageBitmap === 'function' ? makeDrawing(canvas) : null;
    postMessage({ drawing: draw !== null });
    onmessage = ({ data }) => {
      draw({ size: data.size, viewport: data.viewport, clear: data.clear,
        lineWidth: data.lineWidth, vertices: new Uint8Array(data.vertices, 0, data.vertexBytes),
        primitives: new Int32Array(data.primitives) });
      const picture = canvas.transferToImageBitmap();
      postMessage({ picture, vertices: data.vertices, viewport: data.viewport,
        anchors: data.anchors }, [picture, data.vertices]);
    };
  }

  tessaloran.framesPainted = 0;

  // The lines' width in device pixels: the CSS pixels chosen (`tessaloran.lineWidth`,
  // line-width.js) at the device's pixel ratio, as the canvas's drawing buffer has it (page.js).
  function linePixels() {
    return (tessaloran.lineWidth || 1) * (window.devicePixelRatio || 1);
  }

  // Copies the next picture shown into a 2D canvas of the drawing buffer's size. The picture is
  // read as it is shown: the worker's ImageBitmap before the canvas takes it, or the page's own
  // WebGL canvas in the same task as its drawing, before the browser may clear its drawing buffer.
  const picturesWanted = [];
  tessaloran.nextPicture = () => new Promise((resolve) => picturesWanted.push(resolve));

  function copyIfWanted(picture, width, height) {
    if (picturesWanted.length === 0) return;
    const copy = document.createElement('canvas');
    copy.width = width;
    copy.height = height;
    copy.getContext('2d').drawImage(picture, 0, 0);
    for (const resolve of picturesWanted.splice(0)) resolve(copy);
  }

  // Counts the picture shown and hands its frame's anchors to whatever places things over it.
  function framePictureShown(anchors, viewport, size) {
    tessaloran.framesPainted += 1;
    tessaloran.pictureShown(anchors, viewport, size);
  }

  tessaloran.painter = new Promise((settle) => {
    const canvas = document.getElementById('canvas');
    let decided = false;
    let worker = null;

    // painting(vertices, primitives, viewport, clear, anchors): the three arrays are views of the
    // program's memory, read before it returns.
    function inPage() {
      if (decided) return;
      decided = true;
      if (worker) worker.terminate();
      const draw = makeDrawing(canvas);
      settle(draw && ((vertices, primitives, viewport, clear, anchors) => {
        draw({ size: [canvas.width, canvas.height], viewport, clear, vertices, primitives,
          lineWidth: linePixels() });
        copyIfWanted(canvas, canvas.width, canvas.height);
        // A copy: the program clears its anchors as soon as this returns, and the names are
        // placed again from them between pictures (a resize, the Names button).
        framePictureShown(anchors.slice(), viewport, [canvas.width, canvas.height]);
      }));
    }

    function inWorker() {
      const shown = canvas.getContext('bitmaprenderer');
      if (!shown) {
        inPage();
        return;
      }
      decided = true;
      // Two frames may be out with the worker, so that it draws one while the other's picture comes
      // back; a third waits, and a newer one takes its place.
      const most = 2;
      let out = 0;
      let waiting = null;
      const spares = []; // vertex buffers the worker gave back, to fill again
      const send = (frame) => {
        out += 1;
        worker.postMessage(frame, [frame.vertices, frame.primitives]);
      };
      worker.onmessage = ({ data }) => {
        // A picture drawn before the canvas was resized is dropped: shown, it would be stretched,
        // and some browsers give the canvas the picture's size.
        if (data.picture.width === canvas.width && data.picture.height === canvas.height) {
          copyIfWanted(data.picture, canvas.width, canvas.height);
          shown.transferFromImageBitmap(data.picture);
          framePictureShown(data.anchors, data.viewport, [canvas.width, canvas.height]);
        } else {
          data.picture.close();
        }
        spares.push(data.vertices);
        out -= 1;
        if (waiting) {
          send(waiting);
          waiting = null;
        }
      };
      settle((vertices, primitives, viewport, clear, anchors) => {
        let buffer = spares.pop();
        if (!buffer || buffer.byteLength < vertices.byteLength) {
          buffer = new ArrayBuffer(vertices.byteLength);
        }
        new Uint8Array(buffer).set(vertices);
        const frame = { size: [canvas.width, canvas.height], viewport, clear, vertices: buffer,
          vertexBytes: vertices.byteLength, primitives: primitives.slice().buffer,
          anchors: anchors.slice(), lineWidth: linePixels() };
        if (out < most) {
          send(frame);
          return;
        }
        if (waiting) spares.push(waiting.vertices);
        waiting = frame;
      });
    }

    if (typeof OffscreenCanvas !== 'function' || typeof Worker !== 'function' ||
        typeof createImageBitmap !== 'function') {
      inPage();
      return;
    }
    const source = `'use strict';\n${makeWideLines}\n${makeDrawing}\n(${drawingWorker})();\n`;
    const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
    try {
      worker = new Worker(url);
    } catch (error) {
      inPage(); // a page (from a folder, say) that may not start a worker
      return;
    }
    worker.onmessage = ({ data }) => {
      URL.revokeObjectURL(url); // the worker has its script
      if (decided) return;
      if (data.drawing) inWorker();
      else inPage();
    };
    worker.onerror = (event) => {
      event.preventDefault();
      inPage();
    };
    // A worker that never answers leaves the drawing to the page.
    setTimeout(inPage, 4000);
  });
})();
