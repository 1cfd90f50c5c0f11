// The simulation clock: real milliseconds from the test clock into simulated seconds, per tick
// (frameStep, a double) and since the last emission (sinceEmission, extended precision).
#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <limits>

#include "app/callbacks.h"
#include "model/scene_state.h"
#include "sim/clock.h"
#include "sim/light_shells.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

const long double thousandth = 0.001;  // the double 0.001, widened: ms to s

class SimulationClock : public ::testing::Test {
  protected:
    void SetUp() override {
        startScene(1000);
        glrec::setMode(glrec::Mode::Counting);
    }
};

TEST_F(SimulationClock, StepsAreWholeMillisecondsAtTimeScaleOne) {
    for (std::uint32_t ms : {1u, 16u, 17u, 250u, 1000u, 123457u}) {
        advanceClock(ms);
        tickClock();
        EXPECT_EQ(scene.frameStep, static_cast<double>(ms * thousandth)) << ms << " ms";
        EXPECT_DOUBLE_EQ(scene.frameStep, ms / 1000.0) << ms << " ms";
        EXPECT_EQ(scene.lastTickMs, testClockMs);
    }
}

TEST_F(SimulationClock, TwoTicksInTheSameMillisecondMoveNothing) {
    advanceClock(16);
    onIdle();
    const SceneState before = scene;
    onIdle();
    EXPECT_EQ(scene.frameStep, 0);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(scene.stars[k].spinAngle, before.stars[k].spinAngle) << "slot " << k;
        EXPECT_EQ(scene.planets[k].orbitAngle, before.planets[k].orbitAngle) << "slot " << k;
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(scene.moons[k][j].orbitAngle, before.moons[k][j].orbitAngle);
            EXPECT_EQ(scene.moons[k][j].spinAngle, before.moons[k][j].spinAngle);
        }
    }
    EXPECT_EQ(scene.lightShells[0].age, before.lightShells[0].age);
}

TEST_F(SimulationClock, FirstTickCoversAllTheTimeSinceStartUp) {
    // Showing the window and its first frame took 2.5 s before the first idle tick.
    advanceClock(2500);
    onIdle();
    EXPECT_EQ(scene.frameStep, 2.5);
    EXPECT_EQ(scene.sinceEmission, 2500 * thousandth);
    EXPECT_EQ(scene.planets[3].orbitAngle, static_cast<long double>(1.141e-05) * 2.5);
}

TEST_F(SimulationClock, TenfoldTimeScaleRecountsTheWholeEmissionIntervalAtOnce) {
    for (int second = 0; second < 30; ++second) {
        advanceClock(1000);
        onIdle();
    }
    ASSERT_EQ(scene.shellCount, 1);
    scene.timeScale = 10;
    advanceClock(1000);
    tickClock();
    // 31 s since the emission now count as 310 s; this tick alone counts as 10 s.
    EXPECT_EQ(scene.sinceEmission, 31000 * thousandth * 10);
    EXPECT_EQ(scene.frameStep, 10.0);
    // So the emission that was 29 s away happens at this very tick, while the shell's own age,
    // a running sum, gained only this tick's 10 s.
    updateLightShells();
    EXPECT_EQ(scene.shellCount, 2);
    EXPECT_NEAR(static_cast<double>(scene.lightShells[0].age), 40.0, 1e-12);
}

TEST_F(SimulationClock, StepsStayCorrectAcrossThe32BitWrap) {
    startScene(std::numeric_limits<std::int32_t>::max() - 29999);  // wraps 30 s in
    glrec::setMode(glrec::Mode::Counting);
    for (int second = 1; second <= 60; ++second) {
        advanceClock(1000);
        onIdle();
        ASSERT_EQ(scene.frameStep, 1.0) << "second " << second;
        ASSERT_EQ(scene.shellCount, second < 60 ? 1 : 2) << "second " << second;
    }
    EXPECT_LT(scene.lastTickMs, 0);  // the reading itself has wrapped
    EXPECT_NEAR(static_cast<double>(scene.lightShells[0].age), 60.0, 1e-12);
    EXPECT_EQ(scene.lightShells[1].age, 0);
}

TEST_F(SimulationClock, MillisecondsBetweenIsTheSignedDifferenceModulo2To32) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(millisecondsBetween(min + 10, max - 5), 16);
    EXPECT_EQ(millisecondsBetween(max - 5, min + 10), -16);
    EXPECT_EQ(millisecondsBetween(min, max), 1);
    EXPECT_EQ(millisecondsBetween(5, -3), 8);
    EXPECT_EQ(millisecondsBetween(-3, 5), -8);
    EXPECT_EQ(millisecondsBetween(77, 77), 0);
}

TEST_F(SimulationClock, FrameStepIsRoundedToADoubleButSinceEmissionIsNot) {
    // 11 ms x 0.001 is not a double: the two results differ by the rounding.
    const long double exact = 11 * thousandth * 1.0;
    ASSERT_NE(static_cast<long double>(static_cast<double>(exact)), exact);
    advanceClock(11);
    tickClock();
    EXPECT_EQ(scene.sinceEmission, exact);
    EXPECT_EQ(scene.frameStep, static_cast<double>(exact));

    const long double large = 123 * thousandth * 1e8;
    advanceClock(112);  // 123 ms since the emission
    scene.timeScale = 1e8;
    tickClock();
    EXPECT_EQ(scene.sinceEmission, large);
    EXPECT_EQ(scene.frameStep, static_cast<double>(112 * thousandth * 1e8));
    ASSERT_NE(static_cast<long double>(static_cast<double>(large)), large);
}

TEST_F(SimulationClock, EpochStepCountsTheSecondsSinceDecember1999AndPlanetsStartUnshifted) {
    // 1999-12-01 00:00:01 UTC is 944006401; local time is within 14 hours of UTC, plus an hour
    // of daylight saving and a second for the clock ticking over.
    const long long expected = static_cast<long long>(std::time(nullptr)) - 944006401;
    EXPECT_GT(scene.epochSeconds, 800000000);
    EXPECT_NEAR(static_cast<double>(scene.epochSeconds), static_cast<double>(expected),
                15 * 3600 + 2);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(initialPhase(k), 0) << "slot " << k;
        EXPECT_EQ(scene.planets[k].orbitAngle, 0) << "slot " << k;
    }
}

}  // namespace
