#include "render/primitives.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cmath>

#include "model/scene_state.h"

namespace {

// A ring is drawn as a line loop rather than as a one-ring wire torus, which this toolkit draws
// as nothing at all. The unit circle of each segment count in use is worked out once, so a frame
// of some 60,000 ring vertices costs two multiplications per vertex, not a sine and a cosine.
struct UnitCircle {
    int segments;
    long double cosines[1000];
    long double sines[1000];

    explicit UnitCircle(int n) : segments(n), cosines{}, sines{} {
        for (int k = 1; k <= n; ++k) {
            const long double phi = 2 * pi * k / n;
            cosines[k - 1] = std::cos(phi);
            sines[k - 1] = std::sin(phi);
        }
    }
};

const UnitCircle circles[] = {UnitCircle(20), UnitCircle(100), UnitCircle(360), UnitCircle(1000)};

const UnitCircle* unitCircle(int segments) {
    for (const UnitCircle& circle : circles) {
        if (circle.segments == segments) {
            return &circle;
        }
    }
    return nullptr;
}

struct OrbitPoint {
    long double x;
    long double z;
};

OrbitPoint orbitPoint(long double theta, long double radius) {
    return {radius * std::cos(theta * degToRad), -std::sin(theta * degToRad) * radius};
}

void drawOrbitTo(long double radius, OrbitPoint end) {
    drawRing(radius, 1000);
    glBegin(GL_LINES);
    glVertex3d(0, 0, 0);
    glVertex3d(static_cast<double>(end.x), 0, static_cast<double>(end.z));
    glEnd();
}

}  // namespace

void drawRing(long double radius, int segments) {
    glBegin(GL_LINE_LOOP);
    if (const UnitCircle* circle = unitCircle(segments)) {
        for (int k = 0; k < segments; ++k) {
            glVertex3d(static_cast<double>(radius * circle->cosines[k]), 0,
                       static_cast<double>(radius * circle->sines[k]));
        }
    } else {
        for (int k = 1; k <= segments; ++k) {
            const long double phi = 2 * pi * k / segments;
            glVertex3d(static_cast<double>(radius * std::cos(phi)), 0,
                       static_cast<double>(radius * std::sin(phi)));
        }
    }
    glEnd();
}

void drawGlobe(long double radius) {
    glRotated(90, 1, 0, 0);
    glutWireSphere(static_cast<double>(radius), 15, 15);
    glRotated(90, -1, 0, 0);
}

void drawSpinningGlobe(long double radius, long double spin) {
    glPushMatrix();
    glRotated(static_cast<double>(spin), 0, 1, 0);
    glRotated(90, 1, 0, 0);
    glutWireSphere(static_cast<double>(radius), 15, 15);
    glPopMatrix();
}

void tiltPlane(long double node, long double inclination) {
    const double a = static_cast<double>(node - 90);
    glRotated(a, 0, 1, 0);
    glRotated(static_cast<double>(inclination), 1, 0, 0);
    glRotated(a, 0, -1, 0);
}

void drawOrbit(long double theta, long double radius) {
    drawOrbitTo(radius, orbitPoint(theta, radius));
}

void placeOnOrbit(long double theta, long double radius) {
    const OrbitPoint p = orbitPoint(theta, radius);
    drawOrbitTo(radius, p);
    glTranslated(static_cast<double>(p.x), 0, static_cast<double>(p.z));
}
