#include "tests/support/test_clock.h"

#include "model/scene_state.h"
#include "sim/clock.h"
#include "tests/support/gl_recorder.h"

std::int32_t testClockMs = 0;

std::int32_t testClock() {
    return testClockMs;
}

void useTestClock(std::int32_t startMs) {
    testClockMs = startMs;
    millisecondClock = testClock;
}

void resetScene() {
    scene = SceneState{};
    glrec::reset();
    useTestClock(0);
}
