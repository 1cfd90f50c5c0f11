#include "camera/navigation.h"

#include <cmath>
#include <cstdio>

#include "camera/view.h"
#include "model/body_position.h"
#include "model/scene_state.h"

namespace {

bool withinLimit(long double coordinate) {
    return coordinate > -distanceLimit && coordinate < distanceLimit;
}

}  // namespace

void followPlanet(int slot) {
    const Vec3 pos = planetScenePosition(slot);
    scene.followOffset = Vec3{pos.x, pos.y, pos.z + scene.levels[slot].orbitRadius};
}

void updateReference() {
    takeReference(scene.viewBody != -1 ? scene.viewBody : 3);
}

void takeReference(int k) {
    scene.referenceBody = k;
    scene.refHoriz = scene.planets[k].orbitNode - 90;
    scene.refTilt = scene.planets[k].orbitInclination;
}

void moveOnPlane(long double heading) {
    // Horizontal direction from the eye toward the look-at point, turned by the heading.
    const long double dx = -scene.eye.x;
    const long double dz = -scene.eye.z;
    const long double c = std::cos(heading * degToRad);
    const long double s = std::sin(heading * degToRad);
    long double stepX = c * dx + s * dz;
    long double stepZ = -s * dx + c * dz;

    // Scale to a tenth of the distance; the eye's horizontal radius is never zero.
    const double x = static_cast<double>(stepX);
    const double z = static_cast<double>(stepZ);
    const long double scale = scene.viewDistance / std::sqrt(x * x + z * z);
    stepX = stepX * scale * 0.1;
    stepZ = stepZ * scale * 0.1;

    // Climb with the walking plane, steepest toward the orbit angle refHoriz.
    long double a = scene.viewDirHoriz + heading;
    if (a >= 360) {
        a -= 360;
    }
    const long double elevation = scene.refTilt * std::cos((a - scene.refHoriz) * degToRad);
    const long double stepY = std::sin(elevation * degToRad) * scene.viewDistance * 0.1;
    stepX = stepX * std::cos(elevation * degToRad);
    stepZ = stepZ * std::cos(elevation * degToRad);

    if (!withinLimit(scene.followOffset.x + stepX) || !withinLimit(scene.followOffset.z + stepZ)) {
        return;
    }
    scene.followOffset.x = scene.followOffset.x + stepX;
    scene.followOffset.z = scene.followOffset.z + stepZ;
    scene.followOffset.y = scene.followOffset.y + stepY;
    updateViewDistance();
}

void moveAlongNormal(int direction) {
    const double gap =
        std::fabs(static_cast<double>(scene.followOffset.y) - static_cast<double>(scene.eye.y));
    std::printf("Planet Horiz deg = %Lf\n", scene.planets[scene.referenceBody].orbitNode);
    std::fflush(stdout);

    // The limit is tested with this rough step, not with the step actually made below.
    const long double probe = static_cast<long double>(direction) * gap * 0.1;
    if (!withinLimit(scene.followOffset.y + probe)) {
        return;
    }
    const long double t = scene.refTilt * degToRad;
    const long double rho = scene.refHoriz * degToRad;
    const Vec3 normal{-std::sin(t) * std::cos(rho), std::cos(t), std::sin(t) * std::sin(rho)};
    const long double length = 0.1 * scene.viewDistance * direction;
    scene.followOffset.x = scene.followOffset.x + length * normal.x;
    scene.followOffset.y = scene.followOffset.y + length * normal.y;
    scene.followOffset.z = scene.followOffset.z + length * normal.z;
    updateViewDistance();
}
