// Long runs through onIdle with the test clock in one-minute ticks, so that weeks of real time
// take seconds: 30 days at time scale 10^8 and 26 days at time scale 1, both across the point
// where the 32-bit millisecond clock wraps from 2^31 - 1 to -2^31. Every tick the light shells
// must keep their rules; every 997 ticks every angle must be its rate times the elapsed time
// under the single-subtraction wrap, and a frame must stay balanced and finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/callbacks.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr std::uint32_t tickMs = 60000;  // one real minute per idle tick

// One frame: no GL misuse, every push popped, every argument and eye position finite.
void expectSaneFrame() {
    glrec::reset();
    displayFrame();
    ASSERT_TRUE(stackRestored(identityMatrix));
    ASSERT_FALSE(glrec::insideBegin());
    for (const glrec::Call& call : glrec::records()) {
        bool finite = std::isfinite(call.eye.x + call.eye.y + call.eye.z);
        for (int i = 0; i < call.argCount; ++i) {
            finite = finite && std::isfinite(call.args[i]);
        }
        ASSERT_TRUE(finite) << glrec::fnName(call.fn);
    }
}

// After `ticks` ticks of constant step d = rate x frameStep from an angle in [0, 360): if d < 360,
// each tick takes off 360 at most once, which keeps the angle in [0, 360) at (start + n d) modulo
// 360; if d >= 360 each tick takes off exactly one 360. Tolerances: 1e-9 degree below 360 (the
// rounding of tens of thousands of additions is some 1e-12); 1e-14 relative above (n x 2^-64 of
// the magnitude), far below the 360 a missed or repeated subtraction leaves.
void expectAnglesFollowTheWrapRule(const SceneState& start, long ticks) {
    auto expectAngle = [ticks](long double angle, long double was, long double rate,
                               const std::string& name) {
        const long double d = rate * scene.frameStep;
        if (d < 360) {
            const long double expected = std::fmod(was + ticks * d, static_cast<long double>(360));
            const long double gap = std::fabs(angle - expected);
            EXPECT_TRUE(angle >= 0 && angle < 360) << name << " " << angle;
            EXPECT_LE(std::min(gap, 360 - gap), 1e-9) << name << " " << angle << " vs " << expected;
        } else {
            const long double expected = was + ticks * (d - 360);
            EXPECT_LE(std::fabs(angle - expected), 1e-14 * expected)
                << name << " " << angle << " vs " << expected;
        }
    };
    forEachAdvancedRecord(
        start, [&](const BodyRecord& r, const BodyRecord& s, const std::string& name) {
            expectAngle(r.orbitAngle, s.orbitAngle, s.orbitRate, name + ".orbitAngle");
            expectAngle(r.spinAngle, s.spinAngle, s.spinRate, name + ".spinAngle");
        });
}

struct Stats {
    bool clockWrapped = false;  // the reading went from positive to negative
    int maxLive = 0;
    long firstRetired = 0;  // ticks at which the first and the last retirement happened
    long lastRetired = 0;
};

// Runs `ticks` idle ticks. Each tick emits exactly when 60 simulated seconds have passed since the
// previous emission and fewer than 100 shells were emitted, retires exactly when the oldest live
// shell was older than a day, and leaves every live shell aged the simulated time since its
// emission. Every 997 ticks (off the hour) and at the end, the angles and a frame are checked.
void run(long ticks, Stats& result) {
    const SceneState start = scene;
    long emittedAt[maxShells] = {};  // the tick of each shell's emission
    for (long n = 1; n <= ticks; ++n) {
        // Simulated seconds since a tick, as the program counts them, without its clock readings.
        auto since = [n](long tick) {
            return static_cast<long double>((n - tick) * tickMs) * 0.001 * scene.timeScale;
        };
        const int count = scene.shellCount;
        const int first = scene.firstLiveShell;
        const long double oldest = first < count ? scene.lightShells[first].age : 0;
        const std::int32_t before = testClockMs;
        advanceClock(tickMs);
        result.clockWrapped = result.clockWrapped || (before > 0 && testClockMs < 0);
        const bool emissionDue = since(emittedAt[count - 1]) >= 60 && count < maxShells;
        onIdle();
        ASSERT_DOUBLE_EQ(scene.frameStep, tickMs * 0.001 * scene.timeScale) << "tick " << n;
        ASSERT_EQ(scene.shellCount - count, emissionDue ? 1 : 0) << "tick " << n;
        ASSERT_EQ(scene.firstLiveShell - first, first < count && oldest > 86400 ? 1 : 0)
            << "tick " << n << ", oldest shell aged " << oldest;
        if (scene.shellCount > count) {
            emittedAt[count] = n;
        }
        if (scene.firstLiveShell > first) {
            result.firstRetired = result.firstRetired == 0 ? n : result.firstRetired;
            result.lastRetired = n;
        }
        for (int i = scene.firstLiveShell; i < scene.shellCount; ++i) {
            const long double expected = since(emittedAt[i]);
            ASSERT_LE(std::fabs(scene.lightShells[i].age - expected), 1e-15 * expected + 1e-9)
                << "tick " << n << ", shell " << i;
        }
        result.maxLive = std::max(result.maxLive, scene.shellCount - scene.firstLiveShell);
        if (n % 997 == 0 || n == ticks) {
            expectAnglesFollowTheWrapRule(start, n);
            ASSERT_FALSE(::testing::Test::HasFailure()) << "tick " << n;
            ASSERT_NO_FATAL_FAILURE(expectSaneFrame()) << "tick " << n;
        }
    }
}

// From a clock at 0, like the program's: the wrap comes on day 24.86. A tick is 6e9 simulated
// seconds: a shell is emitted every tick and retired two ticks later, and most angles gain
// millions of degrees a tick (Pluto's orbit, at 276.5 a tick, is the one below 360).
TEST(Endurance, ThirtyDaysAtTimeScale1e8StayExactAndFinite) {
    startScene(0);
    press("]]]]]]]]#");  // the top time scale, and follow the Earth so it drives the camera
    ASSERT_EQ(scene.timeScale, 1e8);
    Stats result;
    ASSERT_NO_FATAL_FAILURE(run(30 * 1440, result));
    EXPECT_TRUE(result.clockWrapped);
    EXPECT_EQ(result.maxLive, 2);
    EXPECT_EQ(scene.firstLiveShell, maxShells);
}

// From 30 minutes before the clock passes 2^31 - 1, past the second wrap point (from -1 to 0)
// 24.86 days later. One shell a minute until the 100th at tick 99; shell 0's age after 1440 ticks
// is a little above 86400 s (the rounding of 0.001), so it leaves at tick 1441, shell 99 at 1540.
TEST(Endurance, TwentySixDaysAtTimeScale1AcrossTheClockWrap) {
    startScene(std::numeric_limits<std::int32_t>::max() - 30 * 60 * 1000 + 1);
    Stats result;
    ASSERT_NO_FATAL_FAILURE(run(26 * 1440, result));
    EXPECT_TRUE(result.clockWrapped);
    EXPECT_GE(testClockMs, 0);
    EXPECT_EQ(result.maxLive, maxShells);
    EXPECT_EQ(result.firstRetired, 1441);
    EXPECT_EQ(result.lastRetired, 1540);
    EXPECT_EQ(scene.firstLiveShell, maxShells);
}

}  // namespace
