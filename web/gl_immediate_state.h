// The state of the browser's immediate-mode GL (web/gl_immediate.h), shared by its parts: the
// matrix stacks (gl_matrix_stacks.cpp), the recording and cutting of lines
// (gl_line_recording.cpp) and the hand-off to the page's painter (gl_frame_handoff.cpp).
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "web/gl_immediate.h"

// A matrix as GL keeps it: column-major, element (row r, column c) at [c * 4 + r].
struct Matrix {
    double m[16];
};

inline constexpr Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// At least the depths GL guarantees: 32 model-view and 2 projection matrices.
inline constexpr int modelViewDepth = 32;
inline constexpr int projectionDepth = 4;

struct ClipVertex {
    float x, y, z, w;
    std::uint32_t rgba;  // bytes r, g, b, a in memory order
};

// A vertex of the primitive being recorded, in clip coordinates at full precision until glEnd
// decides how it reaches the GL.
struct StagedVertex {
    double x, y, z, w;
    std::uint32_t rgba;
    bool insideBand;  // inside the guard band, so a segment between two such needs no cut
};

struct Primitive {
    GLenum mode;
    std::int32_t first;
    std::int32_t count;
};

// All of the layer's state, for the one context the program has.
struct ImmediateGl {
    Matrix modelView[modelViewDepth] = {identity};
    Matrix projection[projectionDepth] = {identity};
    int modelViewTop = 0;
    int projectionTop = 0;
    GLenum matrixMode = GL_MODELVIEW;

    std::uint32_t colour = 0xffffffffu;
    Matrix clipFromObject = identity;  // projection x model-view, fixed between glBegin and glEnd
    GLenum primitiveMode = 0;
    bool insidePrimitive = false;
    StagedVertex staged[immediateMaxVertices];  // the primitive between glBegin and glEnd
    std::int32_t stagedCount = 0;
    bool stagedInsideBand = true;  // every staged vertex lies inside the guard band

    ClipVertex vertices[immediateMaxVertices];
    std::int32_t vertexCount = 0;
    Primitive primitives[immediateMaxPrimitives];
    std::int32_t primitiveCount = 0;
    ImmediateFrameCounts lastFrame = {0, 0, 0, 0};

    struct {
        GLint x, y;
        GLsizei width, height;
    } viewport = {0, 0, 0, 0};
    bool clearFrame = false;  // glClear was called for the frame being recorded
};

extern ImmediateGl gl;

// a x b.
Matrix product(const Matrix& a, const Matrix& b);
