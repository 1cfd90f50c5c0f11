// Which globe is which body: the frame draws its globes slot by slot (render/bodies.cpp), each
// slot's drift-level marker, its star (the Sun's in slot 0), its planet's reference marker, then
// the entries of its moon list, the planet's own globe first. The anchors follow that order, and
// a globe is taken only where its radius is the one the scene gives that body, so a change of the
// drawing order leaves a name out rather than on the wrong globe.
#include "web/body_anchors.h"

#include <cmath>

#include "model/scene_state.h"
#include "web/gl_immediate_state.h"

namespace {

constexpr int globesBeforeMoons = 3;  // level marker, star, planet marker

double anchors[bodyAnchorNumbers];
int globesDrawn = 0;  // globes drawn so far in the frame being recorded

// Each body's globe centre in eye space (km): the frame being recorded's, and the last frame's
// handed to the page. The view is a rotation and a translation, so distances are the scene's.
struct Centres {
    double at[namedBodies][3];
    bool drawn[namedBodies];
};
Centres recording;
Centres handed;

// The radius the frame gives the body's globe, as it reaches glutWireSphere.
double expectedRadius(const NamedGlobe& body) {
    if (body.entry < 0) {
        return static_cast<double>(scene.stars[body.slot].radius);
    }
    const BodyRecord& record = scene.moons[body.slot][body.entry];
    return body.entry == 0 ? static_cast<double>(record.radius * scene.globeScale)
                           : static_cast<double>(record.radius);
}

// The named body whose globe is the frame's `index`th, or -1.
int bodyAt(int index) {
    int first = 0;  // the slot's first globe
    for (int slot = 0; slot < scene.slotCount && slot < maxSlots; ++slot) {
        const int globes = globesBeforeMoons + scene.planets[slot].count;
        if (index < first + globes) {
            const int k = index - first;
            if (k != 1 && k < globesBeforeMoons) {
                return -1;  // a marker
            }
            return namedBody(slot, k == 1 ? -1 : k - globesBeforeMoons);
        }
        first += globes;
    }
    return -1;
}

}  // namespace

int namedBody(int slot, int entry) {
    for (int body = 0; body < namedBodies; ++body) {
        if (namedGlobes[body].slot == slot && namedGlobes[body].entry == entry) {
            return body;
        }
    }
    return -1;
}

void noteGlobe(double radius) {
    const int body = bodyAt(globesDrawn++);
    if (body < 0 || radius != expectedRadius(namedGlobes[body])) {
        return;
    }
    // The centre is the object's origin: its clip coordinates are the last column of
    // projection x model-view.
    const double* p = gl.projection[gl.projectionTop].m;
    const double* t = &gl.modelView[gl.modelViewTop].m[12];
    double* a = &anchors[4 * body];
    a[0] = p[0] * t[0] + p[4] * t[1] + p[8] * t[2] + p[12] * t[3];
    a[1] = p[1] * t[0] + p[5] * t[1] + p[9] * t[2] + p[13] * t[3];
    a[2] = p[3] * t[0] + p[7] * t[1] + p[11] * t[2] + p[15] * t[3];
    a[3] = 1;
    for (int i = 0; i < 3; ++i) {
        recording.at[body][i] = t[i];
    }
    recording.drawn[body] = true;
}

const double* bodyAnchors() {
    int followed = -1;
    for (int body = 0; body < namedBodies; ++body) {
        if (namedGlobes[body].entry <= 0 && namedGlobes[body].slot == scene.followBody) {
            followed = body;
        }
    }
    anchors[4 * namedBodies] = followed;
    return anchors;
}

void startBodyAnchors() {
    globesDrawn = 0;
    handed = recording;
    for (int body = 0; body < namedBodies; ++body) {
        anchors[4 * body + 3] = 0;
        recording.drawn[body] = false;
    }
}

double drawnDistance(int a, int b) {
    if (a < 0 || b < 0 || a >= namedBodies || b >= namedBodies || !handed.drawn[a] ||
        !handed.drawn[b]) {
        return -1;
    }
    const double* p = handed.at[a];
    const double* q = handed.at[b];
    return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}
