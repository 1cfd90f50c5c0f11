// The page's Pause (web/pause.cpp) as the program's idle ticks see it: while paused every step of
// model time is zero, and the first step after a resume covers only the real time since it,
// across the platform clock's 32-bit wrap and pause after pause.
#include <gtest/gtest.h>

#include <cstdint>

#include "model/init_scene.h"
#include "model/scene_state.h"
#include "sim/clock.h"
#include "sim/platform_clock.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"
#include "web/pause.h"

namespace {

// A step of `ms` real milliseconds at time scale 1, in seconds, as the clock works it out.
double step(std::uint32_t ms) {
    return static_cast<double>(ms * static_cast<long double>(0.001));
}

// The program started at `startMs` on the test clock, reading it through the pause as the
// browser build does. The pause keeps what earlier tests left it (the spans skipped): only
// differences of its readings mean anything, and the tests look at nothing else.
class PauseClock : public ::testing::Test {
  protected:
    void start(std::int32_t startMs) {
        unpausedClock = testClock;
        webSetPaused(0);
        resetScene();
        useTestClock(startMs);
        millisecondClock = pausableMilliseconds;
        initScene();
    }

    void TearDown() override {
        webSetPaused(0);
        unpausedClock = platformMilliseconds;
        useTestClock(0);
    }
};

TEST_F(PauseClock, StandsWhileTheRealClockWrapsAndRunsOnFromTheResume) {
    start(-30);  // 2^32 - 30 ms on the platform's clock
    idleAfter(10);
    EXPECT_EQ(scene.frameStep, step(10));
    webSetPaused(1);
    EXPECT_TRUE(clockPaused());
    idleAfter(100);  // the real clock wraps to 80 ms while paused
    EXPECT_EQ(scene.frameStep, 0);
    webSetPaused(0);
    idleAfter(40);
    EXPECT_EQ(scene.frameStep, step(40));
    EXPECT_FALSE(clockPaused());
}

TEST_F(PauseClock, ThreePausesInARowSkipAllTheirSpans) {
    start(5000);
    const std::int32_t before = pausableMilliseconds();
    for (std::uint32_t k = 1; k <= 3; ++k) {
        webSetPaused(1);
        idleAfter(100 * k);
        EXPECT_EQ(scene.frameStep, 0) << "pause " << k;
        webSetPaused(1);  // pausing again changes nothing: the clock still stands where it did
        idleAfter(1000);
        EXPECT_EQ(scene.frameStep, 0) << "pause " << k;
        webSetPaused(0);
        idleAfter(10 * k);
        EXPECT_EQ(scene.frameStep, step(10 * k)) << "after pause " << k;
    }
    EXPECT_EQ(millisecondsBetween(pausableMilliseconds(), before), 60);
}

TEST_F(PauseClock, AResumeBeforeAnyTickLeavesTheFirstTickTheUnpausedTime) {
    start(2000);
    advanceClock(15);
    webSetPaused(0);  // resuming a clock that runs changes nothing
    webSetPaused(1);
    advanceClock(500);
    webSetPaused(0);
    idleAfter(20);
    EXPECT_EQ(scene.frameStep, step(35));
}

}  // namespace
