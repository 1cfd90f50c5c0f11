// The recording of lines between glBegin and glEnd: each vertex taken to clip coordinates, and
// the primitives that reach far outside the window cut to a guard band, into the arrays that
// gl_webgl_draw.cpp hands to WebGL.
#include <cmath>

#include "web/gl_immediate_state.h"

namespace {

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

}  // namespace

extern "C" {

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
