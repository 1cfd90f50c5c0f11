// Light-travel shells: emitted every 60 simulated seconds, at most one per tick and 100 in all,
// aged as a running sum, and retired one per tick once older than a day.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "app/callbacks.h"
#include "model/scene_state.h"
#include "render/bodies.h"
#include "sim/clock.h"
#include "sim/light_shells.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

using LightShells = StartSceneTest;

int liveShells() {
    return scene.shellCount - scene.firstLiveShell;
}

TEST_F(LightShells, SixtySecondsAfterTheLastEmissionEmitAndNoSooner) {
    idleAfter(59999);
    EXPECT_EQ(scene.shellCount, 1);
    idleAfter(1);
    EXPECT_EQ(scene.shellCount, 2);
    EXPECT_EQ(scene.emissionBaseMs, 60000);
    EXPECT_EQ(scene.sinceEmission, 0);
    EXPECT_EQ(scene.lightShells[1].tickMs, 60000);
    EXPECT_EQ(scene.lightShells[1].age, 0);

    // The threshold itself, without the rounding of the millisecond factor.
    scene.sinceEmission = std::nextafter(static_cast<long double>(60), static_cast<long double>(0));
    updateLightShells();
    EXPECT_EQ(scene.shellCount, 2);
    scene.sinceEmission = 60;
    updateLightShells();
    EXPECT_EQ(scene.shellCount, 3);
}

TEST_F(LightShells, ATickCoveringManyIntervalsEmitsOneShellAndRestartsTheInterval) {
    scene.timeScale = 1e4;
    idleAfter(1000);  // 10,000 simulated seconds: 166 intervals
    EXPECT_EQ(scene.shellCount, 2);
    EXPECT_EQ(scene.sinceEmission, 0);
    EXPECT_EQ(scene.emissionBaseMs, 1000);
    idleAfter(0);
    EXPECT_EQ(scene.shellCount, 2);
}

TEST_F(LightShells, AShellExactlyOneDayOldIsNotYetRetired) {
    scene.lightShells[0].age = 86400;
    updateLightShells();
    EXPECT_EQ(scene.firstLiveShell, 0);
    scene.lightShells[0].age =
        std::nextafter(static_cast<long double>(86400), static_cast<long double>(1e6));
    updateLightShells();
    EXPECT_EQ(scene.firstLiveShell, 1);
}

// One tick of 1.6 million seconds puts six shells over a day at once (and emits a seventh).
TEST_F(LightShells, SeveralOverAgeShellsLeaveOnePerTick) {
    for (int i = 0; i < 5; ++i) {
        idleAfter(60000);
    }
    scene.timeScale = 1e8;
    idleAfter(16);
    ASSERT_EQ(scene.shellCount, 7);
    EXPECT_EQ(scene.firstLiveShell, 0);
    for (int tick = 1; tick <= 8; ++tick) {
        idleAfter(0);
        EXPECT_EQ(scene.firstLiveShell, std::min(tick, 6)) << "tick " << tick;
    }
    EXPECT_EQ(scene.shellCount, 7);
}

// 16 ms ticks at 1e8 are 1.6 million seconds each: a shell every tick, gone two ticks later, until
// all 100 are spent. Then nothing is aged or drawn any more.
TEST_F(LightShells, AtTheHighestTimeScaleAboutTwoShellsAreLiveUntilAllAreSpent) {
    scene.timeScale = 1e8;
    for (int tick = 1; tick <= 99; ++tick) {
        idleAfter(16);
        ASSERT_EQ(scene.shellCount, tick + 1) << "tick " << tick;
        ASSERT_EQ(liveShells(), 2) << "tick " << tick;
    }
    idleAfter(16);  // capacity reached: no emission, the older of the two leaves
    EXPECT_EQ(scene.shellCount, 100);
    EXPECT_EQ(liveShells(), 1);
    idleAfter(16);
    EXPECT_EQ(liveShells(), 0);

    LightShell before[maxShells];
    std::copy(std::begin(scene.lightShells), std::end(scene.lightShells), before);
    idleAfter(1000);
    EXPECT_EQ(scene.shellCount, 100);
    EXPECT_EQ(scene.firstLiveShell, 100);
    for (int i = 0; i < maxShells; ++i) {
        EXPECT_EQ(scene.lightShells[i].age, before[i].age) << "shell " << i;
        EXPECT_EQ(scene.lightShells[i].tickMs, before[i].tickMs) << "shell " << i;
    }
    glrec::reset();
    drawLightShells();
    EXPECT_EQ(glrec::counts().of(glrec::Fn::Begin), 0);
}

// A clock that moves on by a millisecond at every reading, as a real clock may within a tick.
std::int32_t steppingClock() {
    return testClockMs++;
}

TEST_F(LightShells, AShellEmittedInATickIsAgedInTheSameTick) {
    testClockMs = 60000;
    millisecondClock = steppingClock;
    onIdle();
    millisecondClock = testClock;
    ASSERT_EQ(scene.shellCount, 2);
    const LightShell& shell = scene.lightShells[1];
    EXPECT_GT(shell.age, 0);
    EXPECT_LT(shell.age, 0.01);  // the few milliseconds since its emission
    EXPECT_GT(shell.tickMs, scene.emissionBaseMs);
}

TEST_F(LightShells, RadiusAndDriftFollowTheAge) {
    const double scales[] = {1, 10, 1000};
    for (int tick = 0; tick < 60; ++tick) {
        scene.timeScale = scales[tick % 3];
        idleAfter(static_cast<std::uint32_t>(7 + 997 * tick));
    }
    ASSERT_GT(liveShells(), 3);
    for (int i = scene.firstLiveShell; i < scene.shellCount; ++i) {
        const LightShell& s = scene.lightShells[i];
        EXPECT_EQ(s.radius, s.age * static_cast<long double>(299792.458)) << "shell " << i;
        EXPECT_EQ(s.drift, s.age * static_cast<long double>(241.35)) << "shell " << i;
        EXPECT_EQ(s.tickMs, testClockMs) << "shell " << i;
    }
    // Older shells are further out.
    EXPECT_GT(scene.lightShells[scene.firstLiveShell].radius,
              scene.lightShells[scene.shellCount - 1].radius);
}

}  // namespace
