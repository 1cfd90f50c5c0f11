#include "camera/view.h"

#include <cmath>
#include <cstdio>

#include "model/scene_state.h"

namespace {

// Horizontal radius of the eye, in double precision like the distance.
double horizontalRadius() {
    const double x = static_cast<double>(scene.eye.x);
    const double z = static_cast<double>(scene.eye.z);
    return std::sqrt(x * x + z * z);
}

// 1/360 as the double value of its decimal.
constexpr long double perDegree = 0.002777777777777778;

}  // namespace

void updateViewDistance() {
    scene.zoomStep = Vec3{-scene.eye.x, -scene.eye.y, -scene.eye.z};
    const double x = static_cast<double>(scene.eye.x);
    const double y = static_cast<double>(scene.eye.y);
    const double z = static_cast<double>(scene.eye.z);
    scene.viewDistance = std::sqrt(x * x + y * y + z * z);
    scene.zoomStep.x = scene.zoomStep.x * 0.1;
    scene.zoomStep.y = scene.zoomStep.y * 0.1;
    scene.zoomStep.z = scene.zoomStep.z * 0.1;
}

void zoomView(long double step) {
    if (scene.viewDistance - step <= 0) {
        return;
    }
    if (-1.1 * scene.viewDistance * step > distanceLimit) {
        return;
    }
    scene.eye.x = scene.eye.x + step * scene.zoomStep.x;
    scene.eye.y = scene.eye.y + step * scene.zoomStep.y;
    scene.eye.z = scene.eye.z + step * scene.zoomStep.z;
    updateViewDistance();
}

void refineGrids() {
    if (scene.viewDistance / scene.gridScaleA <= 0.2) {
        scene.gridScaleA = scene.gridScaleA * 0.04;
        scene.gridExtentA = scene.gridExtentA * 0.04;
    } else if (scene.viewDistance / scene.gridScaleB <= 0.2) {
        scene.gridScaleB = scene.gridScaleB * 0.04;
        scene.gridExtentB = scene.gridExtentB * 0.04;
    }
}

void coarsenGrids() {
    if (scene.viewDistance / scene.gridScaleA >= 5) {
        scene.gridScaleA = scene.gridScaleA * 25;
        scene.gridExtentA = scene.gridExtentA * 25;
    } else if (scene.viewDistance / scene.gridScaleB >= 5) {
        scene.gridScaleB = scene.gridScaleB * 25;
        scene.gridExtentB = scene.gridExtentB * 25;
    }
}

void orbitHoriz(long double delta) {
    scene.viewDirHoriz = scene.viewDirHoriz + delta;
    if (scene.viewDirHoriz >= 360) {
        scene.viewDirHoriz -= 360;
    } else if (scene.viewDirHoriz <= -360) {
        scene.viewDirHoriz += 360;
    }
    std::printf("view dir horiz =========== %Lf", scene.viewDirHoriz);
    std::fflush(stdout);

    const long double a = scene.viewDirHoriz * (pi * 2 * perDegree);
    const long double r = horizontalRadius();
    scene.eye.x = -std::cos(a) * r;
    scene.eye.z = std::sin(a) * r;
    updateViewDistance();
}

void orbitVert(long double delta) {
    scene.viewDirVert = scene.viewDirVert + delta;
    if (scene.viewDirVert > 90) {
        scene.viewDirVert = 90;
    } else if (scene.viewDirVert < -90) {
        scene.viewDirVert = -90;
    }
    // Six-digit pi on purpose: at +-90 degrees the cosine stays about 1.3268e-6, so the eye never
    // lands straight above or below the look-at point and keeps its horizontal direction.
    constexpr long double roughPi = 3.14159;
    const long double a = scene.viewDirVert * (roughPi * 2 * perDegree);
    scene.eye.y = std::sin(a) * scene.viewDistance;
    const long double rOld = horizontalRadius();
    const long double rNew = std::cos(a) * scene.viewDistance;
    scene.eye.x = scene.eye.x * (rNew / rOld);
    scene.eye.z = scene.eye.z * (rNew / rOld);
    updateViewDistance();
}
