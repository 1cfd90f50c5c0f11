#include "tests/support/gl_recorder.h"

// The real headers, so that every definition below is checked against the declared signature and
// gets the C linkage the program's calls expect.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <initializer_list>

namespace glrec {
namespace {

constexpr Mat4 identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr double degToRad = 0.017453292519943295;

// Static, so neither mode ever touches the heap; untouched pages cost nothing.
Call buffer[recordCapacity];
std::size_t used = 0;

Mode mode = Mode::Recording;
Counts tally{};
Errors faults{};

Mat4 modelStack[modelviewStackDepth];
int modelTop = 0;  // index of the current modelview matrix
Mat4 projStack[projectionStackDepth];
int projTop = 0;
bool projectionMode = false;
bool begun = false;
Color current{1, 1, 1};

Mat4& currentMatrix() {
    return projectionMode ? projStack[projTop] : modelStack[modelTop];
}

Mat4 multiply(const Mat4& a, const Mat4& b) {
    Mat4 r{};
    for (int c = 0; c < 4; ++c) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * b[c * 4 + k];
            }
            r[c * 4 + row] = sum;
        }
    }
    return r;
}

// Post-multiplies the current matrix, as every GL matrix operation does.
void apply(const Mat4& m) {
    currentMatrix() = multiply(currentMatrix(), m);
}

// Counts the call and, when recording, stores it. `eye` is meaningful for vertices and globes.
void note(Fn fn, std::initializer_list<double> args, Point3 eye = {0, 0, 0}) {
    ++tally.calls[static_cast<int>(fn)];
    if (mode != Mode::Recording) {
        return;
    }
    if (used == recordCapacity) {
        ++faults.dropped;
        return;
    }
    Call& call = buffer[used++];
    call.fn = fn;
    call.argCount = static_cast<std::uint8_t>(args.size());
    int i = 0;
    for (double a : args) {
        call.args[i++] = a;
    }
    for (; i < 9; ++i) {
        call.args[i] = 0;
    }
    call.modelview = modelStack[modelTop];
    call.eye = eye;
    call.color = current;
}

// Everything except glVertex, glColor and glEnd is an error between glBegin and glEnd.
void checkOutsideBegin() {
    if (begun) {
        ++faults.callInsideBegin;
    }
}

void vertex(Fn fn, std::initializer_list<double> args, double x, double y, double z) {
    ++tally.vertices;
    if (!begun) {
        ++faults.vertexOutsideBegin;
    }
    note(fn, args, toEye({x, y, z}));
}

}  // namespace

void reset() {
    used = 0;
    mode = Mode::Recording;
    tally = Counts{};
    faults = Errors{};
    modelStack[0] = identity;
    modelTop = 0;
    projStack[0] = identity;
    projTop = 0;
    projectionMode = false;
    begun = false;
    current = Color{1, 1, 1};
    tally.maxModelviewDepth = 1;
}

void clearRecords() {
    used = 0;
    tally = Counts{};
    faults = Errors{};
    tally.maxModelviewDepth = modelTop + 1;
}

void setMode(Mode m) {
    mode = m;
}

std::span<const Call> records() {
    return {buffer, used};
}
const Counts& counts() {
    return tally;
}
const Errors& errors() {
    return faults;
}

bool ok() {
    return faults.stackOverflow == 0 && faults.stackUnderflow == 0 && faults.nestedBegin == 0 &&
           faults.endWithoutBegin == 0 && faults.vertexOutsideBegin == 0 &&
           faults.callInsideBegin == 0 && faults.badEnum == 0 && faults.dropped == 0;
}

std::string errorSummary() {
    std::string text;
    auto add = [&text](const char* name, std::int64_t n) {
        if (n != 0) {
            text += std::string(text.empty() ? "" : ", ") + name + " " + std::to_string(n);
        }
    };
    add("stackOverflow", faults.stackOverflow);
    add("stackUnderflow", faults.stackUnderflow);
    add("nestedBegin", faults.nestedBegin);
    add("endWithoutBegin", faults.endWithoutBegin);
    add("vertexOutsideBegin", faults.vertexOutsideBegin);
    add("callInsideBegin", faults.callInsideBegin);
    add("badEnum", faults.badEnum);
    add("dropped", faults.dropped);
    return text.empty() ? "no GL errors" : text;
}

const char* fnName(Fn fn) {
    static const char* const names[fnCount] = {
        "glClear",        "glColor3f",     "glPushMatrix",    "glPopMatrix",      "glRotated",
        "glTranslated",   "glBegin",       "glEnd",           "glVertex2d",       "glVertex3d",
        "glViewport",     "glMatrixMode",  "glLoadIdentity",  "gluPerspective",   "gluLookAt",
        "glutWireSphere", "glutWireTorus", "glutSwapBuffers", "glutPostRedisplay"};
    return names[static_cast<int>(fn)];
}

const Mat4& modelview() {
    return modelStack[modelTop];
}
const Mat4& projection() {
    return projStack[projTop];
}
int modelviewDepth() {
    return modelTop + 1;
}
bool insideBegin() {
    return begun;
}
Color color() {
    return current;
}

Point3 transform(const Mat4& m, Point3 p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

Point3 toEye(Point3 local) {
    return transform(modelStack[modelTop], local);
}

}  // namespace glrec

// The stand-in functions. They are declared extern "C" by the headers above; the block repeats it.
extern "C" {

using glrec::Fn;

void GLAPIENTRY glClear(GLbitfield mask) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::Clear, {static_cast<double>(mask)});
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    glrec::current = {red, green, blue};
    glrec::note(Fn::Color3f, {red, green, blue});
}

void GLAPIENTRY glPushMatrix(void) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::PushMatrix, {});
    if (glrec::projectionMode) {
        if (glrec::projTop + 1 == glrec::projectionStackDepth) {
            ++glrec::faults.stackOverflow;
        } else {
            glrec::projStack[glrec::projTop + 1] = glrec::projStack[glrec::projTop];
            ++glrec::projTop;
        }
    } else {
        if (glrec::modelTop + 1 == glrec::modelviewStackDepth) {
            ++glrec::faults.stackOverflow;
        } else {
            glrec::modelStack[glrec::modelTop + 1] = glrec::modelStack[glrec::modelTop];
            ++glrec::modelTop;
            if (glrec::modelTop + 1 > glrec::tally.maxModelviewDepth) {
                glrec::tally.maxModelviewDepth = glrec::modelTop + 1;
            }
        }
    }
}

void GLAPIENTRY glPopMatrix(void) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::PopMatrix, {});
    int& top = glrec::projectionMode ? glrec::projTop : glrec::modelTop;
    if (top == 0) {
        ++glrec::faults.stackUnderflow;
    } else {
        --top;
    }
}

// Rotation by `angle` degrees about (x, y, z), normalised first, as glRotate is defined.
void GLAPIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::Rotated, {angle, x, y, z});
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) {
        return;  // Mesa leaves the matrix alone for a zero axis
    }
    x /= length;
    y /= length;
    z /= length;
    const double c = std::cos(angle * glrec::degToRad);
    const double s = std::sin(angle * glrec::degToRad);
    const double t = 1 - c;
    // Column-major: each line is one column.
    // clang-format off
    const glrec::Mat4 r = {x * x * t + c,     y * x * t + z * s, x * z * t - y * s, 0,
                           x * y * t - z * s, y * y * t + c,     y * z * t + x * s, 0,
                           x * z * t + y * s, y * z * t - x * s, z * z * t + c,     0,
                           0,                 0,                 0,                 1};
    // clang-format on
    glrec::apply(r);
}

void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::Translated, {x, y, z});
    glrec::apply({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void GLAPIENTRY glBegin(GLenum mode) {
    if (glrec::begun) {
        ++glrec::faults.nestedBegin;
    }
    if (mode > GL_POLYGON) {
        ++glrec::faults.badEnum;
    } else {
        ++glrec::tally.primitives[mode];
    }
    glrec::begun = true;
    glrec::note(Fn::Begin, {static_cast<double>(mode)});
}

void GLAPIENTRY glEnd(void) {
    if (!glrec::begun) {
        ++glrec::faults.endWithoutBegin;
    }
    glrec::begun = false;
    glrec::note(Fn::End, {});
}

void GLAPIENTRY glVertex2d(GLdouble x, GLdouble y) {
    glrec::vertex(Fn::Vertex2d, {x, y}, x, y, 0);
}

void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    glrec::vertex(Fn::Vertex3d, {x, y, z}, x, y, z);
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::Viewport, {static_cast<double>(x), static_cast<double>(y),
                               static_cast<double>(width), static_cast<double>(height)});
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    glrec::checkOutsideBegin();
    if (mode == GL_MODELVIEW) {
        glrec::projectionMode = false;
    } else if (mode == GL_PROJECTION) {
        glrec::projectionMode = true;
    } else {
        ++glrec::faults.badEnum;
    }
    glrec::note(Fn::MatrixMode, {static_cast<double>(mode)});
}

void GLAPIENTRY glLoadIdentity(void) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::LoadIdentity, {});
    glrec::currentMatrix() = glrec::identity;
}

// As GLU builds it: nothing happens for a degenerate frustum.
void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::Perspective, {fovy, aspect, zNear, zFar});
    const double half = fovy / 2 * glrec::degToRad;
    const double depth = zFar - zNear;
    const double sine = std::sin(half);
    if (depth == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cot = std::cos(half) / sine;
    // clang-format off
    glrec::apply({cot / aspect, 0,   0,                           0,
                  0,            cot, 0,                           0,
                  0,            0,   -(zFar + zNear) / depth,     -1,
                  0,            0,   -2 * zNear * zFar / depth,   0});
    // clang-format on
}

// As GLU builds it: rows side, up, -forward, then a translation by -eye.
void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::LookAt, {eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ});
    double f[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    auto normalise = [](double* v) {
        const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length != 0) {
            v[0] /= length;
            v[1] /= length;
            v[2] /= length;
        }
    };
    normalise(f);
    double s[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    normalise(s);
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                         s[0] * f[1] - s[1] * f[0]};
    glrec::apply({s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1});
    glrec::apply({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -eyeX, -eyeY, -eyeZ, 1});
}

void FGAPIENTRY glutWireSphere(double radius, GLint slices, GLint stacks) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::WireSphere, {radius, static_cast<double>(slices), static_cast<double>(stacks)},
                glrec::toEye({0, 0, 0}));
}

void FGAPIENTRY glutWireTorus(double innerRadius, double outerRadius, GLint sides, GLint rings) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::WireTorus,
                {innerRadius, outerRadius, static_cast<double>(sides), static_cast<double>(rings)},
                glrec::toEye({0, 0, 0}));
}

void FGAPIENTRY glutSwapBuffers(void) {
    glrec::checkOutsideBegin();
    glrec::note(Fn::SwapBuffers, {});
}

void FGAPIENTRY glutPostRedisplay(void) {
    glrec::note(Fn::PostRedisplay, {});
}

}  // extern "C"
