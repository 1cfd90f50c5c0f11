#include "bench/bench_scenes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "sim/clock.h"

std::int32_t benchClockMs = 0;

namespace {

std::int32_t benchClock() {
    return benchClockMs;
}

// Zoom steps for the heaviest scene: the eye ends at 0.9^12 of the start distance (about 4.0e6
// km), deep inside the Earth's globe at 10^4 times its size, so every line crosses the window.
constexpr int heaviestZoomSteps = 12;

void press(unsigned char key, int times = 1) {
    for (int i = 0; i < times; ++i) {
        onKeyboard(key, 0, 0);
    }
}

}  // namespace

BenchScene benchSceneAt(int index) {
    return static_cast<BenchScene>(index);
}

const char* benchSceneName(BenchScene which) {
    switch (which) {
        case BenchScene::Start:
            return "start";
        case BenchScene::Shells:
            return "shells";
        case BenchScene::Heaviest:
            return "heaviest";
    }
    return "?";
}

void setUpBenchScene(BenchScene which) {
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (savedStdout >= 0 && devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
    }

    scene = SceneState{};
    benchClockMs = 1000;
    millisecondClock = benchClock;
    initScene();
    if (which != BenchScene::Start) {
        // At time scale 1 a 60 s tick reaches the emission interval exactly: one shell per tick.
        for (int tick = 0; tick < maxShells - 1; ++tick) {
            benchClockMs += 60000;
            onIdle();
        }
    }
    if (which == BenchScene::Heaviest) {
        press('\'', 4);  // globeScale 10^4
        press('#');      // follow and view the Earth
        press('+', heaviestZoomSteps);
    }

    std::fflush(stdout);
    if (savedStdout >= 0 && devNull >= 0) {
        dup2(savedStdout, STDOUT_FILENO);
    }
    if (savedStdout >= 0) {
        close(savedStdout);
    }
    if (devNull >= 0) {
        close(devNull);
    }
}
