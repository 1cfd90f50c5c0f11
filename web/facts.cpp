// The page's About panel (page/about.js) reads what the model works out about each named body
// (model/body_facts.h) and the distance from the Earth as the last frame drew it, one number at a
// time, as the status line reads its own: nothing is allocated per read, and the page keeps no
// number of the model's.
#include <emscripten.h>

#include "model/body_facts.h"
#include "model/scene_state.h"
#include "web/body_anchors.h"

namespace {

constexpr int earth = 3;  // the Earth among the named bodies

}  // namespace

extern "C" {

// `body` is a named body (body_anchors.h). `which`: 0 what it is (0 the star, 1 a planet, 2 the
// dwarf planet, 3 a moon), 1 a planet's place from the Sun, 2 the named body of the planet a moon
// circles (else the body's own), 3 the radius in km, 4 the factor the picture draws the globe
// with now, 5 the distance in km (a planet's orbit radius, a moon's from its planet), 6 the same in
// AU, 7 the year and 8 the day in seconds, 9 is 1 where it turns backwards, 10 the axial tilt and
// 11 the orbital inclination in degrees, 12 the seconds the Sun's light takes to its orbit, 13 how
// far along +z that orbit is drawn in km, 14 the Sun's speed along +z in km/s. A fact the body
// lacks is 0; an unknown body or `which` gives -1.
EMSCRIPTEN_KEEPALIVE double webBodyFact(int body, int which) {
    if (body < 0 || body >= namedBodies) {
        return -1;
    }
    const BodyFacts f = bodyFacts(namedGlobes[body].slot, namedGlobes[body].entry);
    switch (which) {
        case 0:
            return static_cast<int>(f.kind);
        case 1:
            return f.place;
        case 2:
            return namedBody(f.planetSlot, f.kind == BodyKind::star ? -1 : 0);
        case 3:
            return static_cast<double>(f.radius);
        case 4:
            return static_cast<double>(f.drawnScale);
        case 5:
            return static_cast<double>(f.distance);
        case 6:
            return static_cast<double>(f.distanceAu);
        case 7:
            return static_cast<double>(f.year);
        case 8:
            return static_cast<double>(f.day);
        case 9:
            return f.backwards ? 1 : 0;
        case 10:
            return static_cast<double>(f.axisTilt);
        case 11:
            return static_cast<double>(f.inclination);
        case 12:
            return static_cast<double>(f.sunlight);
        case 13:
            return static_cast<double>(f.driftLevel);
        case 14:
            return static_cast<double>(sunDriftSpeed);
        default:
            return -1;
    }
}

// The named body the camera follows, the Sun when it follows none.
EMSCRIPTEN_KEEPALIVE int webFollowedBody() {
    const int body = namedBody(scene.followBody, scene.followBody == 0 ? -1 : 0);
    return body < 0 ? 0 : body;
}

// Between the Earth's globe centre and `body`'s as the last frame drew them: `which` 0 the
// distance in km, 1 the seconds light takes across it; -1 where either was not drawn.
EMSCRIPTEN_KEEPALIVE double webFromEarth(int body, int which) {
    const double km = drawnDistance(earth, body);
    if (km < 0) {
        return -1;
    }
    return which == 0 ? km : static_cast<double>(lightTime(km));
}

}  // extern "C"
