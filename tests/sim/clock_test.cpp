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
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

const long double thousandth = 0.001;  // the double 0.001, widened: ms to s

// Started off zero, so a step taken from the raw reading rather than a difference shows.
class SimulationClock : public ::testing::Test {
  protected:
    void SetUp() override { startScene(1000); }
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

// Showing the window and its first frame took 2.5 s before the first idle tick.
TEST_F(SimulationClock, FirstTickCoversAllTheTimeSinceStartUp) {
    idleAfter(2500);
    EXPECT_EQ(scene.frameStep, 2.5);
    EXPECT_EQ(scene.sinceEmission, 2500 * thousandth);
    EXPECT_EQ(scene.planets[3].orbitAngle, static_cast<long double>(1.141e-05) * 2.5);
}

TEST_F(SimulationClock, TenfoldTimeScaleRecountsTheWholeEmissionIntervalAtOnce) {
    for (int second = 0; second < 30; ++second) {
        idleAfter(1000);
    }
    ASSERT_EQ(scene.shellCount, 1);
    scene.timeScale = 10;
    advanceClock(1000);
    tickClock();
    // 31 s since the emission now count as 310 s; this tick alone counts as 10 s.
    EXPECT_EQ(scene.sinceEmission, 31000 * thousandth * 10);
    EXPECT_EQ(scene.frameStep, 10.0);
    // So the emission 29 s away happens at this very tick, while the shell's age, a running sum,
    // gains only this tick's 10 s.
    updateLightShells();
    EXPECT_EQ(scene.shellCount, 2);
    EXPECT_NEAR(static_cast<double>(scene.lightShells[0].age), 40.0, 1e-12);
}

TEST_F(SimulationClock, StepsStayCorrectAcrossThe32BitWrap) {
    startScene(std::numeric_limits<std::int32_t>::max() - 29999);  // wraps 30 s in
    for (int second = 1; second <= 60; ++second) {
        idleAfter(1000);
        ASSERT_EQ(scene.frameStep, 1.0) << "second " << second;
        ASSERT_EQ(scene.shellCount, second < 60 ? 1 : 2) << "second " << second;
    }
    EXPECT_LT(scene.lastTickMs, 0);  // the reading itself has wrapped
    EXPECT_NEAR(static_cast<double>(scene.lightShells[0].age), 60.0, 1e-12);
}

TEST(MillisecondsBetween, IsTheSignedDifferenceModulo2To32) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(millisecondsBetween(min + 10, max - 5), 16);
    EXPECT_EQ(millisecondsBetween(max - 5, min + 10), -16);
    EXPECT_EQ(millisecondsBetween(min, max), 1);
    EXPECT_EQ(millisecondsBetween(5, -3), 8);
    EXPECT_EQ(millisecondsBetween(-3, 5), -8);
}

// 11 ms x 0.001 and 123 ms x 0.001 x 1e8 are not doubles: the two results differ by the rounding.
TEST_F(SimulationClock, FrameStepIsRoundedToADoubleButSinceEmissionIsNot) {
    const long double exact = 11 * thousandth;
    ASSERT_NE(static_cast<long double>(static_cast<double>(exact)), exact);
    advanceClock(11);
    tickClock();
    EXPECT_EQ(scene.sinceEmission, exact);
    EXPECT_EQ(scene.frameStep, static_cast<double>(exact));

    const long double large = 123 * thousandth * 1e8;
    ASSERT_NE(static_cast<long double>(static_cast<double>(large)), large);
    advanceClock(112);
    scene.timeScale = 1e8;
    tickClock();
    EXPECT_EQ(scene.sinceEmission, large);
    EXPECT_EQ(scene.frameStep, static_cast<double>(112 * thousandth * 1e8));
}

// 1999-12-01 00:00:01 UTC is 944006401; local time is within 14 hours of UTC, plus an hour of
// daylight saving and a second for the clock ticking over.
TEST_F(SimulationClock, EpochStepCountsTheSecondsSinceDecember1999AndPlanetsStartUnshifted) {
    const long long expected = static_cast<long long>(std::time(nullptr)) - 944006401;
    EXPECT_NEAR(static_cast<double>(scene.epochSeconds), static_cast<double>(expected),
                15 * 3600 + 2);
    for (int k = 0; k < maxSlots; ++k) {
        EXPECT_EQ(initialPhase(k), 0) << "slot " << k;
        EXPECT_EQ(scene.planets[k].orbitAngle, 0) << "slot " << k;
    }
}

}  // namespace
