// The ranges of a view's settings: what the program itself can reach, checked both where a link
// is read and where its view is set, so that no value out of range gets into the scene.
#include <cmath>

#include "app/view_link.h"

namespace {

constexpr long double largestGrid = 1e16;       // km, far past what zooming out reaches
constexpr double longestElapsed = 1e16;         // model seconds, 300 million years
constexpr double largestTimeScale = 100000000;  // as the keys keep it
constexpr double largestGlobeScale = 10000;

bool within(long double value, long double low, long double high) {
    return value >= low && value <= high;  // false for NaN
}

bool powerOfTen(double value, double largest) {
    for (double p = 1; p <= largest; p *= 10) {
        if (value == p) {
            return true;
        }
    }
    return false;
}

bool inSpace(const Vec3& v) {
    return within(v.x, -distanceLimit, distanceLimit) &&
           within(v.y, -distanceLimit, distanceLimit) && within(v.z, -distanceLimit, distanceLimit);
}

}  // namespace

std::uint32_t invalidParts(const SharedView& view) {
    std::uint32_t bad = 0;
    if (!powerOfTen(view.timeScale, largestTimeScale)) {
        bad |= viewPartTime;
    }
    if (!powerOfTen(view.globeScale, largestGlobeScale)) {
        bad |= viewPartGlobes;
    }
    if (!within(view.followBody, -1, maxSlots - 1)) {
        bad |= viewPartFollow;
    }
    if (!within(view.viewBody, -1, maxSlots - 1)) {
        bad |= viewPartLevel;
    }
    if (!within(view.plane, -1, maxSlots - 1)) {
        bad |= viewPartPlane;
    }
    // The eye's distance as the camera works it out, in double precision; its horizontal radius
    // must not be zero, for walking divides by it.
    const double x = static_cast<double>(view.eye.x);
    const double y = static_cast<double>(view.eye.y);
    const double z = static_cast<double>(view.eye.z);
    const double across = x * x + z * z;
    if (!inSpace(view.eye) || !(across > 0) ||
        !within(std::sqrt(across + y * y), 0, distanceLimit)) {
        bad |= viewPartEye;
    }
    if (!inSpace(view.lookAt)) {
        bad |= viewPartLook;
    }
    if (!(view.viewDirHoriz > -360 && view.viewDirHoriz < 360) ||
        !within(view.viewDirVert, -90, 90)) {
        bad |= viewPartDirection;
    }
    if (!(view.gridScaleA > 0 && view.gridScaleA <= largestGrid) ||
        !(view.gridScaleB > 0 && view.gridScaleB <= largestGrid)) {
        bad |= viewPartGrids;
    }
    if (!within(view.elapsed, 0, longestElapsed)) {
        bad |= viewPartElapsed;
    }
    return bad;
}
