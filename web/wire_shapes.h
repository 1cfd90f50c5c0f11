// The wire globe and wire torus as plain line lists, for platforms without GLUT. They hold exactly
// the lines glutWireSphere and glutWireTorus (freeglut 3.4) draw, in the same order and with
// bit-identical float vertices, so a WebGL build draws the same picture as the desktop build.
// Platform-neutral: no GL and no allocation; the caller uploads the arrays however it draws.
#pragma once

// Fixed capacity of one shape. A sphere of s slices and t stacks needs s*(t-1)+2 vertices,
// 2*s*t indices and s+t-1 strips; a torus of s sides and r rings needs s*r vertices, 2*s*r
// indices and s+r strips. Everything up to 64 x 64 fits (the program's globes are 15 x 15).
// A WireShape is about 80 KB: keep it in static or member storage rather than on a small stack.
inline constexpr int wireMaxVertices = 4096;
inline constexpr int wireMaxIndices = 8192;
inline constexpr int wireMaxStrips = 1024;

// GL's values for the two line modes the shapes use.
inline constexpr int wireLineLoop = 2;   // GL_LINE_LOOP
inline constexpr int wireLineStrip = 3;  // GL_LINE_STRIP

// One line primitive of a shape: GL's mode (GL_LINE_STRIP = 3 or GL_LINE_LOOP = 2) over
// `count` entries of `indices` starting at `first`.
struct WireStrip {
    int mode;
    int first;
    int count;
};

struct WireShape {
    float vertices[3 * wireMaxVertices];  // x, y, z per vertex
    int vertexCount;
    unsigned short indices[wireMaxIndices];
    int indexCount;
    WireStrip strips[wireMaxStrips];
    int stripCount;
};

// Fill `shape` with the lines glutWireSphere / glutWireTorus draw for these arguments, in
// freeglut's order and with freeglut's float arithmetic (bit-identical vertex values).
// Return false (and leave the shape empty) when the arguments need more than the fixed capacity;
// arguments for which freeglut draws nothing give an empty shape and true. Negative slices also
// give an empty shape and true: freeglut draws nothing for them or stops the program.
//
// Sphere: poles on the z axis. First one GL_LINE_STRIP per slice, from the top pole down through
// one vertex per stack boundary to the bottom pole; then one GL_LINE_LOOP per stack boundary,
// top to bottom. Nothing for slices <= 0 or stacks < 2.
// Torus: about the z axis. First one GL_LINE_LOOP per ring (a circle of `sides` vertices round
// the tube), then one GL_LINE_LOOP per side (a circle of `rings` vertices round the axis).
// Nothing for sides < 2 or rings < 2.
bool buildWireSphere(WireShape& shape, double radius, int slices, int stacks);
bool buildWireTorus(WireShape& shape, double innerRadius, double outerRadius, int sides, int rings);
