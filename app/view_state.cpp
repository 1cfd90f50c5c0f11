#include "app/view_state.h"

#include <cmath>

#include "camera/navigation.h"
#include "camera/view.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "sim/advance.h"
#include "sim/clock.h"
#include "sim/light_shells.h"

namespace {

// What the idle ticks' reductions would have left of an angle: below 360, as the ticks keep it.
void reduce(long double& angle) {
    if (angle >= 360) {
        angle = std::fmod(angle, 360.0L);
    }
}

void reduceRecord(BodyRecord& record) {
    reduce(record.orbitAngle);
    reduce(record.spinAngle);
}

// Every body from its start angles, advanced in one step of `seconds` by the idle tick's own
// advance, then brought below 360 as the ticks would have.
void advanceFromStart(double seconds) {
    writeBodyTable();
    scene.frameStep = seconds;
    for (int k = 0; k < scene.slotCount; ++k) {
        advanceStar(k);
        advancePlanet(k);
        reduceRecord(scene.stars[k]);
        reduceRecord(scene.planets[k]);
        for (int j = 0; j < scene.planets[k].count && j < moonListSize; ++j) {
            reduceRecord(scene.moons[k][j]);
        }
    }
    scene.frameStep = 0;
}

// The view's moment is now: the next tick covers only the time from here, and the shells start.
void restartClockAndShells() {
    scene.lastTickMs = millisecondClock();
    for (LightShell& shell : scene.lightShells) {
        shell = LightShell{};
    }
    scene.shellCount = 0;
    scene.firstLiveShell = 0;
    emitLightShell();
}

}  // namespace

SharedView currentView() {
    SharedView view;
    view.timeScale = scene.timeScale;
    view.globeScale = scene.globeScale;
    view.followBody = scene.followBody;
    view.viewBody = scene.viewBody;
    view.eye = scene.eye;
    view.lookAt = scene.followOffset;
    view.viewDirHoriz = scene.viewDirHoriz;
    view.viewDirVert = scene.viewDirVert;
    view.gridScaleA = scene.gridScaleA;
    view.gridScaleB = scene.gridScaleB;
    // The walking plane is taken at the first key press; until then it is level (both 0).
    const bool taken = scene.refHoriz != 0 || scene.refTilt != 0;
    view.plane = taken ? scene.referenceBody : -1;
    return view;
}

std::uint32_t applyView(const SharedView& view, std::uint32_t parts) {
    const std::uint32_t refused = invalidParts(view) & parts;
    const std::uint32_t use = parts & ~refused;
    if (use & viewPartTime) {
        scene.timeScale = view.timeScale;
    }
    if (use & viewPartGlobes) {
        scene.globeScale = view.globeScale;
    }
    if (use & viewPartFollow) {
        scene.followBody = view.followBody;
    }
    if (use & viewPartLevel) {
        scene.viewBody = view.viewBody;
    }
    if (use & viewPartEye) {
        scene.eye = view.eye;
        updateViewDistance();
    }
    if (use & viewPartLook) {
        scene.followOffset = view.lookAt;
    }
    if (use & viewPartDirection) {
        scene.viewDirHoriz = view.viewDirHoriz;
        scene.viewDirVert = view.viewDirVert;
    }
    if (use & viewPartGrids) {
        scene.gridScaleA = view.gridScaleA;
        scene.gridExtentA = view.gridScaleA * 2;
        scene.gridScaleB = view.gridScaleB;
        scene.gridExtentB = view.gridScaleB * 2;
    }
    if (use & viewPartPlane) {
        if (view.plane >= 0) {
            takeReference(view.plane);
        } else {
            scene.referenceBody = 3;
            scene.refHoriz = 0;
            scene.refTilt = 0;
        }
    }
    if (use & viewPartElapsed) {
        advanceFromStart(view.elapsed);
    }
    restartClockAndShells();
    return refused;
}
