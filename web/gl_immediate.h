// The browser's immediate-mode GL: the fixed-function calls of <GL/gl.h> recorded into
// preallocated arrays during the frame and handed to the page's painter, which draws them with
// WebGL, when the frame is swapped.
//
// Each vertex is taken through projection x model-view on the CPU in double precision and stored
// in clip coordinates, so a frame is one upload and one draw call per line primitive, with one
// shader and no matrix uniforms. Capacity is fixed at start-up: a frame that records more vertices
// or primitives than fit draws what fits and sets `overflowed`; nothing is allocated per frame.
//
// In three parts over one state (gl_immediate_state.h): the matrix stacks (gl_matrix_stacks.cpp),
// the recording and cutting of lines (gl_line_recording.cpp) and the hand-off to the page's
// painter (gl_frame_handoff.cpp).
#pragma once

#include <cstdint>

inline constexpr int immediateMaxVertices = 262144;
inline constexpr int immediateMaxPrimitives = 16384;

// What the last drawn frame held; the benchmark and the page's tests read it.
struct ImmediateFrameCounts {
    std::int32_t vertices;
    std::int32_t primitives;
    std::int32_t overflowed;  // 1 once any frame recorded past the capacity
    std::int32_t frames;      // frames drawn since start-up
};

// Whether the page has a painter for the frames: false where the browser has no WebGL.
bool pageHasPainter();

// Hands everything recorded since the last call to the painter, then starts an empty frame.
void drawRecordedFrame();

const ImmediateFrameCounts& immediateFrameCounts();
