// A recording stand-in for the GL, GLU and GLUT functions the program calls. The unit tests link
// it in place of the real libraries: it defines those functions with C linkage and keeps, in
// double precision, the matrix state OpenGL would hold, so a test can see exactly what a frame
// draws and where each vertex and globe lands in eye space.
//
// Two modes:
//  - Recording (the default after reset): every call is appended to a fixed buffer together with
//    its arguments, the modelview matrix and the colour current at the time.
//  - Counting: nothing is stored, only the tallies in `Counts`. No function of the recorder
//    allocates heap memory in either mode; the buffer is static and sized once.
// Misuse that OpenGL would reject (stack overflow or underflow, glBegin/glEnd nesting, calls
// between glBegin and glEnd that OpenGL forbids, unknown enums) and a full buffer are counted in
// `Errors`, never undefined behaviour.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace glrec {

// The recorded functions.
enum class Fn : std::uint8_t {
    Clear,
    Color3f,
    PushMatrix,
    PopMatrix,
    Rotated,
    Translated,
    Begin,
    End,
    Vertex2d,
    Vertex3d,
    Viewport,
    MatrixMode,
    LoadIdentity,
    Perspective,    // gluPerspective
    LookAt,         // gluLookAt
    WireSphere,     // glutWireSphere
    WireTorus,      // glutWireTorus
    SwapBuffers,    // glutSwapBuffers
    PostRedisplay,  // glutPostRedisplay
};
constexpr int fnCount = 19;

// Column-major 4x4 matrix, laid out as OpenGL stores it: element (row r, column c) is m[c * 4 + r].
using Mat4 = std::array<double, 16>;

struct Point3 {
    double x;
    double y;
    double z;
};

struct Color {
    float r;
    float g;
    float b;
};

// One recorded call.
struct Call {
    Fn fn;
    std::uint8_t argCount;
    double args[9];  // the arguments in declaration order, widened to double
    Mat4 modelview;  // modelview matrix current when the call was made, before its own effect
    Point3 eye;      // vertex: its eye-space position; sphere or torus: its centre; else 0
    Color color;     // colour current at the call
};

// Capacity of the recording buffer: four frames of 60,000 vertices with room to spare.
constexpr std::size_t recordCapacity = 262144;
// Matrix stack depths, the minimum OpenGL guarantees (Mesa has 32 for both).
constexpr int modelviewStackDepth = 32;
constexpr int projectionStackDepth = 2;

struct Counts {
    std::int64_t calls[fnCount];  // calls per function, indexed by Fn
    std::int64_t vertices;        // glVertex2d + glVertex3d
    std::int64_t primitives[10];  // glBegin calls by mode, GL_POINTS (0) ... GL_POLYGON (9)
    int maxModelviewDepth;        // deepest modelview stack seen, counted as OpenGL does (1 = none
                                  // pushed)

    std::int64_t of(Fn fn) const { return calls[static_cast<int>(fn)]; }
};

struct Errors {
    int stackOverflow;       // glPushMatrix on a full stack
    int stackUnderflow;      // glPopMatrix with nothing pushed
    int nestedBegin;         // glBegin while a glBegin is open
    int endWithoutBegin;     // glEnd with no open glBegin
    int vertexOutsideBegin;  // glVertex with no open glBegin
    int callInsideBegin;     // another call OpenGL forbids between glBegin and glEnd
    int badEnum;             // glBegin or glMatrixMode with a mode this double does not know
    std::int64_t dropped;    // calls not recorded because the buffer was full
};

enum class Mode { Recording, Counting };

// Back to the state of a fresh GL context: identity matrices, modelview mode, colour white, no
// records, counts and errors zero, recording mode.
void reset();
// Drops the records and zeroes the counts and errors but keeps the matrices and colour, so the
// next frame can be examined on its own.
void clearRecords();
void setMode(Mode mode);

std::span<const Call> records();
const Counts& counts();
const Errors& errors();
// True when no error was counted; `errorSummary` names the non-zero ones (for test messages).
bool ok();
std::string errorSummary();
const char* fnName(Fn fn);

// Current GL state as tracked.
const Mat4& modelview();
const Mat4& projection();
int modelviewDepth();  // 1 when nothing is pushed, as GL_MODELVIEW_STACK_DEPTH
bool insideBegin();
Color color();

// m * (p, 1), dropping w (the tracked matrices are affine).
Point3 transform(const Mat4& m, Point3 p);
// Where a point given in the current local coordinates lands in eye space.
Point3 toEye(Point3 local);

}  // namespace glrec
