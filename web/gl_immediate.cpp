#include "web/gl_immediate.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace {

// A matrix as GL keeps it: column-major, element (row r, column c) at [c * 4 + r].
struct Matrix {
    double m[16];
};

constexpr Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// At least the depths GL guarantees: 32 model-view and 2 projection matrices.
constexpr int modelViewDepth = 32;
constexpr int projectionDepth = 4;

struct ClipVertex {
    float x, y, z, w;
    std::uint32_t rgba;  // bytes r, g, b, a in memory order
};

// A vertex of the primitive being recorded, in clip coordinates at full precision until glEnd
// decides how it reaches the GL.
struct StagedVertex {
    double x, y, z, w;
    std::uint32_t rgba;
    bool insideBand;  // inside the guard band below, so a segment between two such needs no cut
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

    GLuint program = 0;
    GLuint buffer = 0;
};

ImmediateGl gl;

Matrix& currentMatrix() {
    return gl.matrixMode == GL_PROJECTION ? gl.projection[gl.projectionTop]
                                          : gl.modelView[gl.modelViewTop];
}

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix p;
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[k * 4 + r] * b.m[c * 4 + k];
            }
            p.m[c * 4 + r] = sum;
        }
    }
    return p;
}

void multiplyCurrent(const Matrix& by) {
    Matrix& current = currentMatrix();
    current = product(current, by);
}

std::uint8_t colourByte(float c) {
    const float clamped = c < 0 ? 0 : (c > 1 ? 1 : c);
    return static_cast<std::uint8_t>(std::lround(clamped * 255.0f));
}

// Software GLs can lose a line segment that reaches far outside the window: SwiftShader, the
// WebGL of Chromium without a GPU, drops the grid lines that run toward the viewer and the outer
// planets' radius lines, as Mesa's llvmpipe does on the desktop (desktop/line_probe.h). So a line
// primitive with a vertex outside a guard band around the window, or behind the eye, is cut here
// to the band and the near and far planes, in double-precision clip coordinates, and drawn as
// separate segments. Everything else reaches the GL as it was recorded.
constexpr double guardBand = 4;  // |x| and |y| up to 4 w: four times the window's half-size

bool insideGuardBand(const StagedVertex& v) {
    return v.w > 0 && std::fabs(v.x) <= guardBand * v.w && std::fabs(v.y) <= guardBand * v.w &&
           std::fabs(v.z) <= v.w;
}

void recordVertex(double x, double y, double z) {
    if (!gl.insidePrimitive) {
        return;
    }
    if (gl.vertexCount + gl.stagedCount == immediateMaxVertices) {
        gl.lastFrame.overflowed = 1;
        return;
    }
    const double* m = gl.clipFromObject.m;
    StagedVertex& v = gl.staged[gl.stagedCount++];
    v.x = m[0] * x + m[4] * y + m[8] * z + m[12];
    v.y = m[1] * x + m[5] * y + m[9] * z + m[13];
    v.z = m[2] * x + m[6] * y + m[10] * z + m[14];
    v.w = m[3] * x + m[7] * y + m[11] * z + m[15];
    v.rgba = gl.colour;
    v.insideBand = insideGuardBand(v);
    gl.stagedInsideBand = gl.stagedInsideBand && v.insideBand;
}

void appendVertex(double x, double y, double z, double w, std::uint32_t rgba) {
    ClipVertex& v = gl.vertices[gl.vertexCount++];
    v.x = static_cast<float>(x);
    v.y = static_cast<float>(y);
    v.z = static_cast<float>(z);
    v.w = static_cast<float>(w);
    v.rgba = rgba;
}

// Whether two more vertices fit; a frame that runs out says so in its counts.
bool roomForSegment() {
    if (gl.vertexCount + 2 > immediateMaxVertices) {
        gl.lastFrame.overflowed = 1;
        return false;
    }
    return true;
}

// Liang-Barsky in homogeneous coordinates: appends the part of a-b inside the band, if any.
void appendClippedSegment(const StagedVertex& a, const StagedVertex& b) {
    if (!roomForSegment()) {
        return;
    }
    if (a.insideBand && b.insideBand) {
        appendVertex(a.x, a.y, a.z, a.w, a.rgba);
        appendVertex(b.x, b.y, b.z, b.w, b.rgba);
        return;
    }
    // Each entry is >= 0 on the inner side of one plane: right, left, top, bottom, far, near.
    const auto planes = [](const StagedVertex& v, double out[6]) {
        out[0] = guardBand * v.w - v.x;
        out[1] = guardBand * v.w + v.x;
        out[2] = guardBand * v.w - v.y;
        out[3] = guardBand * v.w + v.y;
        out[4] = v.w - v.z;
        out[5] = v.w + v.z;
    };
    double planesA[6];
    double planesB[6];
    planes(a, planesA);
    planes(b, planesB);
    double from = 0;
    double to = 1;
    for (int k = 0; k < 6; ++k) {
        const double da = planesA[k];
        const double db = planesB[k];
        if (da < 0 && db < 0) {
            return;
        }
        if (da < 0) {
            from = std::fmax(from, da / (da - db));
        } else if (db < 0) {
            to = std::fmin(to, da / (da - db));
        }
    }
    if (from >= to) {
        return;
    }
    const double ends[2] = {from, to};
    for (const double t : ends) {
        appendVertex(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z),
                     a.w + t * (b.w - a.w), a.rgba);
    }
}

// The staged primitive as clipped GL_LINES; returns how many vertices they take.
std::int32_t appendClippedPrimitive(GLenum mode) {
    const std::int32_t first = gl.vertexCount;
    const StagedVertex* v = gl.staged;
    const std::int32_t count = gl.stagedCount;
    const std::int32_t step = mode == GL_LINES ? 2 : 1;
    for (std::int32_t k = 0; k + 1 < count; k += step) {
        appendClippedSegment(v[k], v[k + 1]);
    }
    if (mode == GL_LINE_LOOP && count > 1) {
        appendClippedSegment(v[count - 1], v[0]);
    }
    return gl.vertexCount - first;
}

// Consecutive GL_LINES primitives are one draw call; strips and loops each need their own.
void recordPrimitive(GLenum mode, std::int32_t first, std::int32_t count) {
    if (count == 0) {
        return;
    }
    if (mode == GL_LINES && gl.primitiveCount > 0) {
        Primitive& last = gl.primitives[gl.primitiveCount - 1];
        if (last.mode == GL_LINES && last.first + last.count == first && last.count % 2 == 0) {
            last.count += count;
            return;
        }
    }
    if (gl.primitiveCount == immediateMaxPrimitives) {
        gl.lastFrame.overflowed = 1;
        return;
    }
    gl.primitives[gl.primitiveCount++] = {mode, first, count};
}

GLuint compileShader(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Vertices arrive in clip coordinates, so the shader only passes them on.
constexpr const char* vertexShader = R"(
attribute vec4 clipPosition;
attribute vec4 colour;
varying vec4 lineColour;
void main() {
    gl_Position = clipPosition;
    lineColour = colour;
}
)";

constexpr const char* fragmentShader = R"(
precision mediump float;
varying vec4 lineColour;
void main() {
    gl_FragColor = lineColour;
}
)";

}  // namespace

void startImmediateGl() {
    gl.program = glCreateProgram();
    glAttachShader(gl.program, compileShader(GL_VERTEX_SHADER, vertexShader));
    glAttachShader(gl.program, compileShader(GL_FRAGMENT_SHADER, fragmentShader));
    glBindAttribLocation(gl.program, 0, "clipPosition");
    glBindAttribLocation(gl.program, 1, "colour");
    glLinkProgram(gl.program);
    glUseProgram(gl.program);

    glGenBuffers(1, &gl.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, gl.buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof gl.vertices, nullptr, GL_STREAM_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(ClipVertex), nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(ClipVertex),
                          reinterpret_cast<const void*>(offsetof(ClipVertex, rgba)));
}

void drawRecordedFrame() {
    if (gl.vertexCount > 0) {
        glBufferSubData(GL_ARRAY_BUFFER, 0, gl.vertexCount * sizeof(ClipVertex), gl.vertices);
    }
    for (std::int32_t k = 0; k < gl.primitiveCount; ++k) {
        const Primitive& p = gl.primitives[k];
        glDrawArrays(p.mode, p.first, p.count);
    }
    gl.lastFrame.vertices = gl.vertexCount;
    gl.lastFrame.primitives = gl.primitiveCount;
    ++gl.lastFrame.frames;
    gl.vertexCount = 0;
    gl.primitiveCount = 0;
}

const ImmediateFrameCounts& immediateFrameCounts() {
    return gl.lastFrame;
}

extern "C" {

void glMatrixMode(GLenum mode) {
    gl.matrixMode = mode;
}

void glLoadIdentity(void) {
    currentMatrix() = identity;
}

// Past the stack's depth, or below its bottom, GL ignores the call; so does this.
void glPushMatrix(void) {
    if (gl.matrixMode == GL_PROJECTION) {
        if (gl.projectionTop + 1 < projectionDepth) {
            gl.projection[gl.projectionTop + 1] = gl.projection[gl.projectionTop];
            ++gl.projectionTop;
        }
    } else if (gl.modelViewTop + 1 < modelViewDepth) {
        gl.modelView[gl.modelViewTop + 1] = gl.modelView[gl.modelViewTop];
        ++gl.modelViewTop;
    }
}

void glPopMatrix(void) {
    int& top = gl.matrixMode == GL_PROJECTION ? gl.projectionTop : gl.modelViewTop;
    if (top > 0) {
        --top;
    }
}

void glMultMatrixd(const GLdouble* m) {
    Matrix by;
    std::memcpy(by.m, m, sizeof by.m);
    multiplyCurrent(by);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) {
        return;
    }
    x /= length;
    y /= length;
    z /= length;
    const double radians = angle * (M_PI / 180.0);
    const double s = std::sin(radians);
    const double c = std::cos(radians);
    const double t = 1 - c;
    const Matrix rotation = {{
        x * x * t + c,
        y * x * t + z * s,
        x * z * t - y * s,
        0,  // column 0
        x * y * t - z * s,
        y * y * t + c,
        y * z * t + x * s,
        0,  // column 1
        x * z * t + y * s,
        y * z * t - x * s,
        z * z * t + c,
        0,  // column 2
        0,
        0,
        0,
        1,
    }};
    multiplyCurrent(rotation);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    double* m = currentMatrix().m;
    for (int r = 0; r < 4; ++r) {
        m[12 + r] += m[r] * x + m[4 + r] * y + m[8 + r] * z;
    }
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    gl.colour = static_cast<std::uint32_t>(colourByte(red)) |
                static_cast<std::uint32_t>(colourByte(green)) << 8 |
                static_cast<std::uint32_t>(colourByte(blue)) << 16 | 0xff000000u;
}

void glBegin(GLenum mode) {
    gl.clipFromObject = product(gl.projection[gl.projectionTop], gl.modelView[gl.modelViewTop]);
    gl.primitiveMode = mode;
    gl.stagedCount = 0;
    gl.stagedInsideBand = true;
    gl.insidePrimitive = true;
}

void glEnd(void) {
    if (!gl.insidePrimitive) {
        return;
    }
    gl.insidePrimitive = false;
    // GL draws only whole segments of GL_LINES; a dangling last vertex is dropped here too.
    if (gl.primitiveMode == GL_LINES && gl.stagedCount % 2 == 1) {
        --gl.stagedCount;
    }
    const std::int32_t first = gl.vertexCount;
    if (!gl.stagedInsideBand) {
        recordPrimitive(GL_LINES, first, appendClippedPrimitive(gl.primitiveMode));
        return;
    }
    for (std::int32_t k = 0; k < gl.stagedCount; ++k) {
        const StagedVertex& v = gl.staged[k];
        appendVertex(v.x, v.y, v.z, v.w, v.rgba);
    }
    recordPrimitive(gl.primitiveMode, first, gl.stagedCount);
}

void glVertex2d(GLdouble x, GLdouble y) {
    recordVertex(x, y, 0);
}

void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    recordVertex(x, y, z);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    recordVertex(x, y, z);
}

}  // extern "C"
