// gluPerspective and gluLookAt as GLU defines them, in double precision throughout.
#include <GL/glu.h>

#include <cmath>

namespace {

void normalise(double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0) {
        return;
    }
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void cross(const double a[3], const double b[3], double out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

}  // namespace

extern "C" {

// A degenerate request (no depth range, no field of view, no aspect ratio) leaves the matrix as
// it is, as GLU does.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * M_PI / 180;
    const double depth = zFar - zNear;
    const double sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) {
        return;
    }
    const double cotangent = std::cos(radians) / sine;
    const GLdouble m[16] = {
        cotangent / aspect,
        0,
        0,
        0,  // column 0
        0,
        cotangent,
        0,
        0,  // column 1
        0,
        0,
        -(zFar + zNear) / depth,
        -1,
        0,
        0,
        -2 * zNear * zFar / depth,
        0,
    };
    glMultMatrixd(m);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
               GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    const double upward[3] = {upX, upY, upZ};
    double side[3];
    double up[3];
    normalise(forward);
    cross(forward, upward, side);
    normalise(side);
    cross(side, forward, up);
    const GLdouble m[16] = {
        side[0], up[0], -forward[0], 0,  // column 0
        side[1], up[1], -forward[1], 0,  // column 1
        side[2], up[2], -forward[2], 0,  // column 2
        0,       0,     0,           1,
    };
    glMultMatrixd(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

}  // extern "C"
