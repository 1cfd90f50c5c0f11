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
// lacks instanced drawing (WebGL 1's ANGLE_instanced_arrays, which every engine here has), else
//   use(width, viewport)     takes over the program and the attributes for a frame's lines
//                            `width` device pixels wide in the viewport [x, y, width, height]
//   draw(mode, first, count) draws one recorded primitive (GL_LINES, GL_LINE_STRIP or
//                            GL_LINE_LOOP) from the bound vertex buffer
//   release()                gives the attributes back as the one-pixel drawing has them
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
  if (inFrontA < 0.0 && inFrontB < 0.0) {
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
  const names = ['from', 'to', 'fromColour', 'toColour', 'corner'];
  names.forEach((name, at) => gl.bindAttribLocation(program, at, name));
  gl.linkProgram(program);
  const halfViewport = gl.getUniformLocation(program, 'halfViewport');
  const halfWidth = gl.getUniformLocation(program, 'halfWidth');
  const corners = gl.createBuffer();
  const lines = gl.getParameter(gl.ARRAY_BUFFER_BINDING);
  gl.bindBuffer(gl.ARRAY_BUFFER, corners);
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, -1, 0, 1, 1, -1, 1, 1]), gl.STATIC_DRAW);
  gl.bindBuffer(gl.ARRAY_BUFFER, lines);

  // One instance per segment: its first end at vertex `a`, its second at `b`, the next segment's
  // ends `step` vertices further on.
  function segments(a, b, step, count) {
    gl.vertexAttribPointer(0, 4, gl.FLOAT, false, 20 * step, 20 * a);
    gl.vertexAttribPointer(1, 4, gl.FLOAT, false, 20 * step, 20 * b);
    gl.vertexAttribPointer(2, 4, gl.UNSIGNED_BYTE, true, 20 * step, 20 * a + 16);
    gl.vertexAttribPointer(3, 4, gl.UNSIGNED_BYTE, true, 20 * step, 20 * b + 16);
    instancing.drawArraysInstancedANGLE(gl.TRIANGLE_STRIP, 0, 4, count);
  }

  return {
    // The width in device pixels and the viewport [x, y, width, height] of the frame.
    use(width, viewport) {
      gl.useProgram(program);
      gl.uniform2f(halfViewport, viewport[2] / 2, viewport[3] / 2);
      gl.uniform1f(halfWidth, width / 2);
      const buffer = gl.getParameter(gl.ARRAY_BUFFER_BINDING);
      gl.bindBuffer(gl.ARRAY_BUFFER, corners);
      gl.enableVertexAttribArray(4);
      gl.vertexAttribPointer(4, 2, gl.FLOAT, false, 0, 0);
      gl.bindBuffer(gl.ARRAY_BUFFER, buffer);
      for (let at = 0; at < 4; at += 1) {
        gl.enableVertexAttribArray(at);
        instancing.vertexAttribDivisorANGLE(at, 1);
      }
    },
    // Gives the attributes back as the one-pixel drawing has them.
    release() {
      gl.disableVertexAttribArray(2);
      gl.disableVertexAttribArray(3);
      gl.disableVertexAttribArray(4);
      for (let at = 0; at < 4; at += 1) instancing.vertexAttribDivisorANGLE(at, 0);
    },
    draw(mode, first, count) {
      if (mode === gl.LINES) {
        if (count >= 2) segments(first, first + 1, 2, count >> 1);
        return;
      }
      if (count < 2) return;
      segments(first, first + 1, 1, count - 1);
      if (mode === gl.LINE_LOOP) segments(first + count - 1, first, 1, 1);
    },
  };
}
