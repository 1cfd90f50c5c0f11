#include "sim/light_shells.h"

#include <cstdint>

#include "model/scene_state.h"
#include "sim/clock.h"

void emitLightShell() {
    const std::int32_t now = millisecondClock();
    scene.emissionBaseMs = now;
    scene.sinceEmission = 0;
    scene.shellCount = scene.shellCount + 1;
    scene.lightShells[scene.shellCount - 1] = LightShell{now, 0, 0, 0};
}

void updateLightShells() {
    if (scene.firstLiveShell < scene.shellCount &&
        scene.lightShells[scene.firstLiveShell].age > scene.shellMaxAge) {
        scene.firstLiveShell = scene.firstLiveShell + 1;
    }
    if (scene.sinceEmission >= scene.shellInterval && scene.shellCount < scene.shellCapacity) {
        emitLightShell();
    }
    for (int i = scene.firstLiveShell; i < scene.shellCount; ++i) {
        LightShell& shell = scene.lightShells[i];
        const long double ms = millisecondsBetween(millisecondClock(), shell.tickMs);
        shell.age = shell.age + ms * scene.timeScale * 0.001;
        shell.tickMs = millisecondClock();
        shell.radius = shell.age * lightSpeed;
        shell.drift = shell.age * sunDriftSpeed;
    }
}
