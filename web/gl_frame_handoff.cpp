// The hand-off of each recorded frame to the page's painter (page/painter.js), which draws it with
// WebGL, in a worker where the browser lets one draw: the program itself makes no WebGL call.
// glViewport and glClear are kept for the frame and go with it, and so do the clip coordinates of
// the bodies' globe centres (body_anchors.h), for the names the page shows over that picture.
#include <emscripten.h>

#include "web/body_anchors.h"
#include "web/gl_immediate_state.h"

ImmediateGl gl;

namespace {

// The painter reads the vertices, the (mode, first, count) triples and the bodies' anchors out of
// the program's memory before it returns.
EM_JS(void, paintFrame,
      (const void* vertices, int vertexBytes, const void* primitives, int primitiveCount, int x,
       int y, int width, int height, int clear, const double* anchors, int anchorCount),
      {
          Module['paintFrame'](
              HEAPU8.subarray(vertices, vertices + vertexBytes),
              HEAP32.subarray(primitives >> 2, (primitives >> 2) + 3 * primitiveCount),
              [ x, y, width, height ], clear != 0,
              HEAPF64.subarray(anchors >> 3, (anchors >> 3) + anchorCount));
      });

EM_JS(int, pagePaints, (), { return Module['paintFrame'] ? 1 : 0; });

}  // namespace

extern "C" {

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    gl.viewport = {x, y, width, height};
}

// The program clears once per frame, before its lines, which is where the painter clears.
void glClear(GLbitfield mask) {
    if ((mask & GL_COLOR_BUFFER_BIT) != 0) {
        gl.clearFrame = true;
    }
}

}  // extern "C"

bool pageHasPainter() {
    return pagePaints() != 0;
}

void drawRecordedFrame() {
    static_assert(sizeof(Primitive) == 3 * sizeof(std::int32_t));
    paintFrame(gl.vertices, gl.vertexCount * static_cast<int>(sizeof(ClipVertex)), gl.primitives,
               gl.primitiveCount, gl.viewport.x, gl.viewport.y, gl.viewport.width,
               gl.viewport.height, gl.clearFrame ? 1 : 0, bodyAnchors(), bodyAnchorNumbers);
    startBodyAnchors();
    gl.lastFrame.vertices = gl.vertexCount;
    gl.lastFrame.primitives = gl.primitiveCount;
    ++gl.lastFrame.frames;
    gl.vertexCount = 0;
    gl.primitiveCount = 0;
    gl.clearFrame = false;
}

const ImmediateFrameCounts& immediateFrameCounts() {
    return gl.lastFrame;
}
