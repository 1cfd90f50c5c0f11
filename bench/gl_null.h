// A GL, GLU and GLUT stand-in that does nothing but count, so that a benchmark linked with it
// measures only the program's own frame code. It defines every function the core calls. While
// `glNullCapture` points at a stream, the frame's calls are also appended to it (this allocates,
// so it is for setting up a benchmark, never inside a measured loop).
#pragma once

#include <cstdint>

#include "bench/call_stream.h"

struct GlNullCounts {
    std::int64_t vertices;    // glVertex2d + glVertex3d
    std::int64_t primitives;  // glBegin
    std::int64_t spheres;     // glutWireSphere
    std::int64_t calls;       // every call
};

extern GlNullCounts glNullCounts;
extern CallStream* glNullCapture;
