// The matrix stacks, kept on the CPU in double precision: glBegin takes their tops' product for
// every vertex of the primitive.
#include <cmath>
#include <cstring>

#include "web/gl_immediate_state.h"

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

namespace {

Matrix& currentMatrix() {
    return gl.matrixMode == GL_PROJECTION ? gl.projection[gl.projectionTop]
                                          : gl.modelView[gl.modelViewTop];
}

void multiplyCurrent(const Matrix& by) {
    Matrix& current = currentMatrix();
    current = product(current, by);
}

}  // namespace

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

}  // extern "C"
