// Lines wider than one device pixel, for the painter (painter.js). WebGL draws GL_LINES one pixel
// wide in most browsers (its lineWidth stops at 1), so each segment of the frame's lines is drawn
// as a rectangle of two triangles instead, made on the GPU: the vertex shader gets both ends of
// the segment (the recorded clip coordinates and colours, 20 bytes a vertex, as the program
// handed them over) and which of the four corners it is making, and moves that end sideways by
// half the width in pixels. The program's vertices reach WebGL as they are; only their drawing
// differs.
//
// Each corner is a vertex of its own, so the frame's vertices are uploaded four times, one copy
// per corner, at `room` vertices apart: element s of copy c is corner c of the segment from
// vertex s to vertex s + 1, its ends read through two attributes 20 bytes apart. The corners and
// the triangles' indices depend only on `room`, so they are made once. Every pair of
// neighbouring vertices is such a segment, drawn where it belongs to a primitive (GL_LINES'
// pairs, strips' and loops' neighbours; a byte per pair says so) and cast away by the shader
// elsewhere, and each loop's closing segment is a pair of its own after the frame's vertices. So
// a frame is one draw call: a software GPU (SwiftShader) pays dearly per draw and per instance.
//
// Each rectangle runs half the width past both ends of its segment, so where two segments of a
// strip meet at an angle the square ends overlap and leave no notch at the corner. A segment
// that reaches behind the eye is cut at the near plane in clip coordinates before the division
// by w, which would otherwise turn its far end round.
//
// tessaloran.makeWideLines(gl) returns null where the browser lacks 32-bit indices (WebGL 1's
// OES_element_index_uint, which every engine here has), else a function that draws a frame's
// lines from the frame as makeDrawing gets it: { vertices, primitives, lineWidth (device
// pixels), viewport }. It leaves its program in use and its own buffers bound to the attributes
// 0 to 5: makeDrawing binds its own again.
// Like makeDrawing it is part of the drawing worker's source, so it uses nothing from outside:
// its text declares makeWideLines there.
'use strict';

tessaloran.makeWideLines = function makeWideLines(gl) {
  if (!gl.getExtension('OES_element_index_uint')) return null;
  const program = gl.createProgram();
  const attach = (kind, source) => {
    const shader = gl.createShader(kind);
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    gl.attachShader(program, shader);
  };
  // corner.x is 0 at the segment's first end and 1 at its second; corner.y the side, -1 or 1.
  attach(gl.VERTEX_SHADER, `attribute vec4 from;
attribute vec4 to;
attribute vec4 fromColour;
attribute vec4 toColour;
attribute vec2 corner;
attribute float kept;
uniform vec2 halfViewport;
uniform float halfWidth;
varying vec4 lineColour;
void main() {
  vec4 a = from;
  vec4 b = to;
  vec4 colourA = fromColour;
  vec4 colourB = toColour;
  float inFrontA = a.z + a.w;
  float inFrontB = b.z + b.w;
  if (kept < 0.5 || (inFrontA < 0.0 && inFrontB < 0.0)) {
    gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
    lineColour = colourA;
    return;
  }
  if (inFrontA < 0.0) {
    float t = inFrontA / (inFrontA - inFrontB);
    a = mix(a, b, t);
    colourA = mix(colourA, colourB, t);
  } else if (inFrontB < 0.0) {
    float t = inFrontB / (inFrontB - inFrontA);
    b = mix(b, a, t);
    colourB = mix(colourB, colourA, t);
  }
  vec2 along = b.xy / b.w * halfViewport - a.xy / a.w * halfViewport;
  float pixels = length(along);
  along = pixels > 1e-4 ? along / pixels : vec2(1.0, 0.0);
  vec2 offset = (vec2(-along.y, along.x) * corner.y + along * (2.0 * corner.x - 1.0)) * halfWidth;
  vec4 end = corner.x < 0.5 ? a : b;
  gl_Position = vec4(end.xy + offset / halfViewport * end.w, end.zw);
  lineColour = corner.x < 0.5 ? colourA : colourB;
}`);
  attach(gl.FRAGMENT_SHADER, `precision mediump float;
varying vec4 lineColour;
void main() {
  gl_FragColor = lineColour;
}`);
  const names = ['from', 'to', 'fromColour', 'toColour', 'corner', 'kept'];
  names.forEach((name, at) => gl.bindAttribLocation(program, at, name));
  gl.linkProgram(program);
  const halfViewport = gl.getUniformLocation(program, 'halfViewport');
  const halfWidth = gl.getUniformLocation(program, 'halfWidth');
  const copies = gl.createBuffer(); // the frame's vertices, then the loops' closing pairs, 4 times
  const kept = gl.createBuffer(); // a byte per pair of neighbouring vertices, 255 for a segment
  const corners = gl.createBuffer();
  const indices = gl.createBuffer();
  let room = 0; // vertices each copy holds
  let staged = new Uint8Array(0); // the vertices and the closing pairs, `room` of them
  let keptBytes = new Uint8Array(0);

  // Makes room for `needed` vertices a copy (and one more, read as the last segment's end).
  function grow(needed) {
    room = Math.max(2 * room, 1 << Math.ceil(Math.log2(needed + 1)));
    staged = new Uint8Array(20 * room);
    keptBytes = new Uint8Array(room);
    gl.bindBuffer(gl.ARRAY_BUFFER, copies);
    gl.bufferData(gl.ARRAY_BUFFER, 4 * 20 * room, gl.DYNAMIC_DRAW);
    gl.bindBuffer(gl.ARRAY_BUFFER, kept);
    gl.bufferData(gl.ARRAY_BUFFER, 4 * room, gl.DYNAMIC_DRAW);
    // Copy c is corner c: (first end, one side), (first end, other side), then the second end's.
    const corner = new Float32Array(8 * room);
    for (let c = 0; c < 4; c += 1) {
      for (let s = 0; s < room; s += 1) {
        corner[2 * (c * room + s)] = c >> 1;
        corner[2 * (c * room + s) + 1] = c & 1 ? 1 : -1;
      }
    }
    gl.bindBuffer(gl.ARRAY_BUFFER, corners);
    gl.bufferData(gl.ARRAY_BUFFER, corner, gl.STATIC_DRAW);
    const triangles = new Uint32Array(6 * (room - 1));
    for (let s = 0; s + 1 < room; s += 1) {
      triangles.set([s, room + s, 2 * room + s, 2 * room + s, room + s, 3 * room + s], 6 * s);
    }
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indices);
    gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, triangles, gl.STATIC_DRAW);
  }

  function attribute(at, buffer, size, type, normalized, stride, offset) {
    gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
    gl.enableVertexAttribArray(at);
    gl.vertexAttribPointer(at, size, type, normalized, stride, offset);
  }

  return ({ vertices, primitives: p, lineWidth, viewport }) => {
    const count = vertices.byteLength / 20;
    let loops = 0;
    for (let k = 0; k + 2 < p.length; k += 3) {
      if (p[k] === gl.LINE_LOOP && p[k + 2] > 1) loops += 1;
    }
    const pairs = count + 2 * loops; // the vertices, then each loop's last and first vertex
    if (pairs < 2) return;
    if (pairs + 1 > room) grow(pairs);
    staged.set(vertices);
    keptBytes.fill(0, 0, pairs);
    let closing = count;
    for (let k = 0; k + 2 < p.length; k += 3) {
      const [mode, first, n] = [p[k], p[k + 1], p[k + 2]];
      if (mode === gl.LINES) {
        for (let v = first; v + 1 < first + n; v += 2) keptBytes[v] = 255;
      } else if (n > 1) {
        keptBytes.fill(255, first, first + n - 1);
        if (mode !== gl.LINE_LOOP) continue;
        staged.copyWithin(20 * closing, 20 * (first + n - 1), 20 * (first + n));
        staged.copyWithin(20 * closing + 20, 20 * first, 20 * first + 20);
        keptBytes[closing] = 255;
        closing += 2;
      }
    }
    gl.useProgram(program);
    gl.uniform2f(halfViewport, viewport[2] / 2, viewport[3] / 2);
    gl.uniform1f(halfWidth, lineWidth / 2);
    gl.bindBuffer(gl.ARRAY_BUFFER, copies);
    for (let c = 0; c < 4; c += 1) {
      gl.bufferSubData(gl.ARRAY_BUFFER, 20 * room * c, staged.subarray(0, 20 * pairs));
    }
    gl.bindBuffer(gl.ARRAY_BUFFER, kept);
    for (let c = 0; c < 4; c += 1) {
      gl.bufferSubData(gl.ARRAY_BUFFER, room * c, keptBytes.subarray(0, pairs));
    }
    attribute(0, copies, 4, gl.FLOAT, false, 20, 0);
    attribute(1, copies, 4, gl.FLOAT, false, 20, 20);
    attribute(2, copies, 4, gl.UNSIGNED_BYTE, true, 20, 16);
    attribute(3, copies, 4, gl.UNSIGNED_BYTE, true, 20, 36);
    attribute(4, corners, 2, gl.FLOAT, false, 0, 0);
    attribute(5, kept, 1, gl.UNSIGNED_BYTE, true, 0, 0);
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indices);
    gl.drawElements(gl.TRIANGLES, 6 * (pairs - 1), gl.UNSIGNED_INT, 0);
    for (const at of [2, 3, 4, 5]) gl.disableVertexAttribArray(at);
  };
};
