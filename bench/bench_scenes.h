// The scenes the benchmarks measure, each built from a fresh scene with the program's own
// operations (initScene, onIdle, onKeyboard) under a millisecond clock the benchmark controls.
#pragma once

#include <cstdint>

enum class BenchScene {
    Start,     // the start scene, right after initScene
    Shells,    // 100 live light shells: 99 emissions after the first
    Heaviest,  // 100 shells, globeScale 10^4, the Earth followed and viewed, zoomed in
};
constexpr int benchSceneCount = 3;

BenchScene benchSceneAt(int index);
const char* benchSceneName(BenchScene which);

// The benchmark's clock reading; the program's millisecondClock hook points here during set-up.
extern std::int32_t benchClockMs;

// Puts `scene` back to its load-time state and builds the given scene. The diagnostic lines the
// key presses print are sent to /dev/null so they do not mix with the benchmark's report.
void setUpBenchScene(BenchScene which);
