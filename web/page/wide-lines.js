// Lines wider than one device pixel, for the painter (painter.js). WebGL draws GL_LINES one pixel
// wide in most browsers (its lineWidth stops at 1), so each segment of the frame's lines is drawn
// as a rectangle of two triangles instead, made on the GPU: one instance per segment, whose two
// ends the vertex shader reads straight from the frame's vertex buffer (the recorded clip
// coordinates, 20 bytes a vertex), and four corners that it moves sideways by half the width in
// pixels. The program's vertices reach WebGL as they are; only their drawing differs.
//
// Each rectangle runs half the width past both ends of its segment, so where two segments of a
// strip meet at an angle the square ends overlap and leave no notch at the corner. A segment
// that reaches behind the eye is cut at the near plane in clip coordinates before the division
// by w, which would otherwise turn its far end round.
//
// makeWideLines(gl), called with the frame's vertex buffer bound, returns null where the browser
// lacks instanced drawing (WebGL 1's ANGLE_instanced_arrays, which every engine here has), else a
// function that draws a frame's lines, uploaded to that buffer, from the frame as makeDrawing
// gets it: { vertices, primitives, lineWidth (device pixels), viewport }. It leaves its program
// in use and the vertex attributes 0 and 1 pointing elsewhere: makeDrawing sets them again.
// Like makeDrawing it is part of the drawing worker's source, so it uses nothing from outside.
'use strict';

function makeWideLines(gl) {
  const instancing = gl.getExtension('ANGLE_instanced_arrays');
  if (!instancing) return null;
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
  const lines = gl.getParameter(gl.ARRAY_BUFFER_BINDING);
  const corners = gl.createBuffer();
  gl.bindBuffer(gl.ARRAY_BUFFER, corners);
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, -1, 0, 1, 1, -1, 1, 1]), gl.STATIC_DRAW);
  const kept = gl.createBuffer(); // a byte per pair of neighbouring vertices: 1 for a segment
  const closing = gl.createBuffer(); // each loop's closing segment: its last vertex, its first
  gl.bindBuffer(gl.ARRAY_BUFFER, lines);
  let keptBytes = new Uint8Array(1024);
  let closingBytes = new Uint8Array(1024);

  // One instance per segment: its first end at vertex `a` of the bound buffer, its second at
  // `b`, the next segment's ends `step` vertices further on.
  function segments(a, b, step, count) {
    gl.vertexAttribPointer(0, 4, gl.FLOAT, false, 20 * step, 20 * a);
    gl.vertexAttribPointer(1, 4, gl.FLOAT, false, 20 * step, 20 * b);
    gl.vertexAttribPointer(2, 4, gl.UNSIGNED_BYTE, true, 20 * step, 20 * a + 16);
    gl.vertexAttribPointer(3, 4, gl.UNSIGNED_BYTE, true, 20 * step, 20 * b + 16);
    instancing.drawArraysInstancedANGLE(gl.TRIANGLE_STRIP, 0, 4, count);
  }

  function upload(buffer, bytes) {
    gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
    gl.bufferData(gl.ARRAY_BUFFER, bytes, gl.STREAM_DRAW);
  }

  // Draws the frame's lines (the uploaded vertex buffer, `vertices` its bytes) as in makeDrawing.
  // A draw call per primitive costs a software GPU more than the lines themselves, so every pair
  // of neighbouring vertices is one instance of a single draw, drawn where it is a segment of a
  // primitive (GL_LINES' pairs, strips' and loops' neighbours) and cast away by the shader
  // elsewhere; the loops' closing segments, whose ends are apart in the buffer, are a second.
  return ({ vertices, primitives: p, lineWidth, viewport }) => {
    const count = vertices.byteLength / 20;
    if (count < 2) return;
    while (keptBytes.length < count) keptBytes = new Uint8Array(2 * keptBytes.length);
    keptBytes.fill(0, 0, count);
    let loops = 0;
    for (let k = 0; k + 2 < p.length; k += 3) {
      const [mode, first, n] = [p[k], p[k + 1], p[k + 2]];
      if (mode === gl.LINES) {
        for (let v = first; v + 1 < first + n; v += 2) keptBytes[v] = 1;
      } else if (n > 1) {
        keptBytes.fill(1, first, first + n - 1);
        if (mode !== gl.LINE_LOOP) continue;
        while (closingBytes.length < 40 * (loops + 1)) {
          const grown = new Uint8Array(2 * closingBytes.length);
          grown.set(closingBytes);
          closingBytes = grown;
        }
        closingBytes.set(vertices.subarray(20 * (first + n - 1), 20 * (first + n)), 40 * loops);
        closingBytes.set(vertices.subarray(20 * first, 20 * first + 20), 40 * loops + 20);
        loops += 1;
      }
    }
    gl.useProgram(program);
    gl.uniform2f(halfViewport, viewport[2] / 2, viewport[3] / 2);
    gl.uniform1f(halfWidth, lineWidth / 2);
    gl.bindBuffer(gl.ARRAY_BUFFER, corners);
    gl.enableVertexAttribArray(4);
    gl.vertexAttribPointer(4, 2, gl.FLOAT, false, 0, 0);
    upload(kept, keptBytes.subarray(0, count - 1));
    gl.enableVertexAttribArray(5);
    gl.vertexAttribPointer(5, 1, gl.UNSIGNED_BYTE, false, 1, 0);
    for (const at of [0, 1, 2, 3, 5]) instancing.vertexAttribDivisorANGLE(at, 1);
    for (let at = 0; at < 4; at += 1) gl.enableVertexAttribArray(at);
    gl.bindBuffer(gl.ARRAY_BUFFER, lines);
    segments(0, 1, 1, count - 1);
    gl.disableVertexAttribArray(5);
    gl.vertexAttrib1f(5, 1);
    if (loops > 0) {
      upload(closing, closingBytes.subarray(0, 40 * loops));
      segments(0, 1, 2, loops);
      gl.bindBuffer(gl.ARRAY_BUFFER, lines);
    }
    // The attributes as the one-pixel drawing has them.
    for (const at of [0, 1, 2, 3, 5]) instancing.vertexAttribDivisorANGLE(at, 0);
    for (const at of [2, 3, 4]) gl.disableVertexAttribArray(at);
  };
}
