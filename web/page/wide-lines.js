// Lines wider than one device pixel, for the painter (painter.js). WebGL draws GL_LINES one pixel
// wide in most browsers (its lineWidth stops at 1), so each segment of the frame's lines is drawn
// as a rectangle of two triangles instead, made on the GPU: the vertex shader gets both ends of
// the segment (the recorded clip coordinates and colours, 20 bytes a vertex, as the program
// handed them over) and which of the four corners it is making, and moves that end sideways by
// half the width in pixels. The program's vertices reach WebGL as they are; only their drawing
// differs.
//
// Each corner is a vertex of its own, so the vertices drawn are uploaded four times, one copy per
// corner, at `room` vertices apart: element s of copy c is corner c of the segment from vertex s
// to vertex s + 1, its ends read through two attributes 20 bytes apart. The corners depend only
// on `room`, so they are made once; the triangles' indices name the segments drawn. So a frame
// is one draw call: a software GPU (SwiftShader) pays dearly per draw and per instance.
//
// What a software GPU pays most for is each triangle it fills, and most of a frame's segments
// are far shorter than a pixel: the wires of globes smaller than a pixel. So the frame's vertices
// are gathered before they are uploaded: each primitive's vertices in turn (a loop's first again
// at its end, GL_LINES in pairs), leaving out a strip's or loop's vertex that lies within a
// quarter of a pixel of the last one kept (never its last). The line drawn through the vertices
// kept is nowhere more than that quarter pixel from the line through them all, and a globe
// smaller than a pixel is still a dot the line's width across. Segments wholly behind the eye,
// or wholly past one edge of the picture by more than half the width, are not drawn.
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
// 0 to 4: makeDrawing binds its own again.
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
  const names = ['from', 'to', 'fromColour', 'toColour', 'corner'];
  names.forEach((name, at) => gl.bindAttribLocation(program, at, name));
  gl.linkProgram(program);
  const halfViewport = gl.getUniformLocation(program, 'halfViewport');
  const halfWidth = gl.getUniformLocation(program, 'halfWidth');
  const copies = gl.createBuffer(); // the vertices drawn, 4 times
  const corners = gl.createBuffer();
  const indices = gl.createBuffer();
  let room = 0; // vertices each copy holds
  let staged = new Uint32Array(0); // the vertices drawn, 5 words each, `room` of them
  let triangles = new Uint32Array(0); // 6 indices a segment drawn

  // Makes room for `needed` vertices a copy (and one more, read as the last segment's end).
  function grow(needed) {
    room = Math.max(2 * room, 1 << Math.ceil(Math.log2(needed + 1)));
    staged = new Uint32Array(5 * room);
    triangles = new Uint32Array(6 * room);
    gl.bindBuffer(gl.ARRAY_BUFFER, copies);
    gl.bufferData(gl.ARRAY_BUFFER, 4 * 20 * room, gl.DYNAMIC_DRAW);
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indices);
    gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, 4 * triangles.length, gl.DYNAMIC_DRAW);
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
  }

  function attribute(at, buffer, size, type, normalized, stride, offset) {
    gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
    gl.enableVertexAttribArray(at);
    gl.vertexAttribPointer(at, size, type, normalized, stride, offset);
  }

  return ({ vertices, primitives: p, lineWidth, viewport }) => {
    // The vertices as words; the program's memory keeps them 4-byte aligned, a copy otherwise.
    const from = vertices.byteOffset % 4 === 0 ? vertices : vertices.slice();
    const count = from.byteLength / 20;
    const words = new Uint32Array(from.buffer, from.byteOffset, 5 * count);
    const clip = new Float32Array(from.buffer, from.byteOffset, 5 * count);
    let loops = 0;
    for (let k = 0; k + 2 < p.length; k += 3) {
      if (p[k] === gl.LINE_LOOP && p[k + 2] > 1) loops += 1;
    }
    if (count + loops + 1 > room) grow(count + loops);
    const [pixelsX, pixelsY] = [viewport[2] / 2, viewport[3] / 2];
    // How far past an edge, in clip coordinates over w, a segment's rectangle still reaches.
    const [reachX, reachY] = [1 + lineWidth / 2 / pixelsX, 1 + lineWidth / 2 / pixelsY];
    const nearest = 0.25 * 0.25; // a quarter of a pixel, squared
    let kept = 0; // vertices gathered into `staged`
    let drawn = 0; // indices of the segments drawn, in `triangles`

    const keep = (v) => {
      for (let i = 0; i < 5; i += 1) staged[5 * kept + i] = words[5 * v + i];
      kept += 1;
    };
    // Whether both ends lie past the same edge: coordinate `axis` (0 for x, 1 for y) beyond
    // reach times w at both, w being positive in front of the eye.
    const bothPast = (u, v, axis, reach) => {
      const a = clip[5 * u + axis] / (reach * clip[5 * u + 3]);
      const b = clip[5 * v + axis] / (reach * clip[5 * v + 3]);
      return (a > 1 && b > 1) || (a < -1 && b < -1);
    };
    // Whether the segment from vertex u to vertex v shows: not wholly behind the eye nor wholly
    // past one edge. In clip coordinates a vertex is in front of the near plane if z + w >= 0;
    // a segment with one end behind is cut by the shader.
    const shows = (u, v) => {
      const inFrontU = clip[5 * u + 2] + clip[5 * u + 3] >= 0;
      const inFrontV = clip[5 * v + 2] + clip[5 * v + 3] >= 0;
      if (inFrontU !== inFrontV) return true;
      return inFrontU && !bothPast(u, v, 0, reachX) && !bothPast(u, v, 1, reachY);
    };
    // Whether vertex v is within a quarter of a pixel of vertex u, both in front of the eye.
    const near = (u, v) => {
      const wu = clip[5 * u + 3];
      const wv = clip[5 * v + 3];
      if (clip[5 * u + 2] + wu <= 0 || clip[5 * v + 2] + wv <= 0) return false;
      const dx = (clip[5 * v] / wv - clip[5 * u] / wu) * pixelsX;
      const dy = (clip[5 * v + 1] / wv - clip[5 * u + 1] / wu) * pixelsY;
      return dx * dx + dy * dy < nearest;
    };
    // The segment from the vertex kept before last to the last one.
    const segment = () => {
      const s = kept - 2;
      triangles[drawn] = s;
      triangles[drawn + 1] = triangles[drawn + 4] = room + s;
      triangles[drawn + 2] = triangles[drawn + 3] = 2 * room + s;
      triangles[drawn + 5] = 3 * room + s;
      drawn += 6;
    };

    for (let k = 0; k + 2 < p.length; k += 3) {
      const mode = p[k];
      const first = p[k + 1];
      const n = p[k + 2];
      if (mode === gl.LINES) {
        for (let v = first; v + 1 < first + n; v += 2) {
          if (!shows(v, v + 1)) continue;
          keep(v);
          keep(v + 1);
          segment();
        }
      } else if (n > 1) {
        // A loop ends at its first vertex again.
        const last = mode === gl.LINE_LOOP ? first + n : first + n - 1;
        let before = first;
        keep(first);
        for (let at = first + 1; at <= last; at += 1) {
          const v = at < first + n ? at : first;
          if (at < last && near(before, v)) continue;
          keep(v);
          if (shows(before, v)) segment();
          before = v;
        }
      }
    }
    if (drawn === 0) return;
    gl.useProgram(program);
    gl.uniform2f(halfViewport, pixelsX, pixelsY);
    gl.uniform1f(halfWidth, lineWidth / 2);
    gl.bindBuffer(gl.ARRAY_BUFFER, copies);
    for (let c = 0; c < 4; c += 1) {
      gl.bufferSubData(gl.ARRAY_BUFFER, 20 * room * c, staged.subarray(0, 5 * kept));
    }
    attribute(0, copies, 4, gl.FLOAT, false, 20, 0);
    attribute(1, copies, 4, gl.FLOAT, false, 20, 20);
    attribute(2, copies, 4, gl.UNSIGNED_BYTE, true, 20, 16);
    attribute(3, copies, 4, gl.UNSIGNED_BYTE, true, 20, 36);
    attribute(4, corners, 2, gl.FLOAT, false, 0, 0);
    gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, indices);
    gl.bufferSubData(gl.ELEMENT_ARRAY_BUFFER, 0, triangles.subarray(0, drawn));
    gl.drawElements(gl.TRIANGLES, drawn, gl.UNSIGNED_INT, 0);
    for (const at of [2, 3, 4]) gl.disableVertexAttribArray(at);
  };
};
