// Long runs, driven through onIdle with the test clock in one-minute ticks so that weeks of real
// time take seconds: 30 days at time scale 10^8 and 26 days at time scale 1. Both cross the point
// where the 32-bit millisecond clock wraps from 2^31 - 1 to -2^31 (24.86 days after it reads 0).
// Every angle, position, shell and camera value must stay finite, every angle must match its rate
// times the elapsed time under the single-subtraction wrap, the shell timeline must keep its rules,
// and frames drawn now and then must stay balanced.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/body_position.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "sim/clock.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"

namespace {

constexpr std::uint32_t tickMs = 60000;  // one real minute per idle tick
constexpr std::int64_t msPerDay = 86400000;
constexpr int ticksBetweenFrames = 997;  // off the hour, so frames fall at varied phases

// One advanced angle, its rate and its value right after start-up.
struct Tracked {
    std::string name;
    long double* angle;
    long double rate;
    long double start;
};

// Every orbit and spin angle onIdle advances: all stars and planets and the used moon entries.
std::vector<Tracked> trackAdvancedAngles() {
    std::vector<Tracked> tracked;
    auto add = [&tracked](const std::string& name, BodyRecord& r) {
        tracked.push_back({name + ".orbitAngle", &r.orbitAngle, r.orbitRate, r.orbitAngle});
        tracked.push_back({name + ".spinAngle", &r.spinAngle, r.spinRate, r.spinAngle});
    };
    for (int k = 0; k < maxSlots; ++k) {
        add("stars[" + std::to_string(k) + "]", scene.stars[k]);
        add("planets[" + std::to_string(k) + "]", scene.planets[k]);
        for (int j = 0; j < scene.planets[k].count; ++j) {
            add("moons[" + std::to_string(k) + "][" + std::to_string(j) + "]", scene.moons[k][j]);
        }
    }
    return tracked;
}

const Tracked& findTracked(const std::vector<Tracked>& tracked, const std::string& name) {
    for (const Tracked& t : tracked) {
        if (t.name == name) {
            return t;
        }
    }
    ADD_FAILURE() << "no angle " << name;
    return tracked.front();
}

// Circular distance in degrees between two angles of [0, 360).
long double circularGap(long double a, long double b) {
    const long double d = std::fabs(a - b);
    return d > 180 ? 360 - d : d;
}

// After n ticks of constant step d = rate x frameStep, starting from an angle in [0, 360):
//  - d = 0: the angle has not moved;
//  - d < 360: each tick adds d and takes off 360 at most once, which keeps the angle in [0, 360):
//    it is (start + n d) reduced modulo 360;
//  - d >= 360: every tick takes off exactly one 360, so the angle grows by d - 360 per tick and
//    is never reduced further.
// Tolerances: 1e-6 degree below 360 (the rounding of tens of thousands of additions of values
// below 360 is some 1e-12); 1e-14 relative above (the worst case of n long double additions at
// magnitude M is n x 2^-64 M, 2.4e-15 M for 43,200 ticks), far below the 360 / d per tick that a
// missed or repeated subtraction would leave.
void expectAnglesFollowTheWrapRule(const std::vector<Tracked>& tracked, std::int64_t ticks,
                                   double frameStep) {
    for (const Tracked& t : tracked) {
        const long double angle = *t.angle;
        ASSERT_TRUE(std::isfinite(angle)) << t.name;
        const long double d = t.rate * frameStep;
        if (d == 0) {
            EXPECT_EQ(angle, t.start) << t.name;
        } else if (d < 360) {
            const long double expected =
                std::fmod(t.start + ticks * d, static_cast<long double>(360));
            EXPECT_GE(angle, 0) << t.name;
            EXPECT_LT(angle, 360) << t.name;
            EXPECT_LE(circularGap(angle, expected), 1e-6)
                << t.name << " " << angle << " vs " << expected;
        } else {
            const long double expected = t.start + ticks * (d - 360);
            EXPECT_LE(std::fabs(angle - expected), 1e-14 * expected)
                << t.name << " " << angle << " vs " << expected;
        }
    }
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Everything a frame or a later tick reads, apart from the angles checked above.
void expectSceneFinite() {
    for (int k = 0; k < maxSlots; ++k) {
        ASSERT_TRUE(finite(planetScenePosition(k))) << "planet position of slot " << k;
    }
    for (int i = 0; i < scene.shellCount; ++i) {
        const LightShell& s = scene.lightShells[i];
        ASSERT_TRUE(std::isfinite(s.age) && std::isfinite(s.radius) && std::isfinite(s.drift))
            << "shell " << i;
    }
    ASSERT_TRUE(finite(scene.eye) && finite(scene.up) && finite(scene.followOffset) &&
                finite(scene.zoomStep));
    ASSERT_TRUE(std::isfinite(scene.viewDistance) && std::isfinite(scene.viewDirHoriz) &&
                std::isfinite(scene.viewDirVert) && std::isfinite(scene.refHoriz) &&
                std::isfinite(scene.refTilt));
    ASSERT_TRUE(std::isfinite(scene.gridScaleA) && std::isfinite(scene.gridExtentA) &&
                std::isfinite(scene.gridScaleB) && std::isfinite(scene.gridExtentB));
    ASSERT_TRUE(std::isfinite(scene.frameStep) && std::isfinite(scene.sinceEmission));
}

// One frame against the recording stand-in: no GL misuse, every push popped, every vertex and
// globe at a finite place.
void expectBalancedFrame() {
    glrec::setMode(glrec::Mode::Recording);
    glrec::clearRecords();
    displayFrame();
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
    EXPECT_EQ(glrec::modelviewDepth(), 1);
    EXPECT_FALSE(glrec::insideBegin());
    const glrec::Counts& counts = glrec::counts();
    EXPECT_EQ(counts.of(glrec::Fn::PushMatrix), counts.of(glrec::Fn::PopMatrix));
    EXPECT_EQ(counts.of(glrec::Fn::Begin), counts.of(glrec::Fn::End));
    EXPECT_EQ(counts.of(glrec::Fn::SwapBuffers), 1);
    int nonFinite = 0;
    for (const glrec::Call& call : glrec::records()) {
        for (int i = 0; i < call.argCount; ++i) {
            nonFinite += std::isfinite(call.args[i]) ? 0 : 1;
        }
        nonFinite +=
            std::isfinite(call.eye.x) && std::isfinite(call.eye.y) && std::isfinite(call.eye.z) ? 0
                                                                                                : 1;
    }
    EXPECT_EQ(nonFinite, 0);
    glrec::setMode(glrec::Mode::Counting);
}

// Watches the light shells tick by tick and checks the rules of their timeline:
//  - at most one emission and one retirement per tick, and never more than 100 emitted;
//  - an emission only once 60 simulated seconds have passed since the previous one;
//  - the oldest live shell retired exactly when the age it had before the tick exceeds 86400 s;
//  - every live shell's age equal to the simulated time since its emission (time scale fixed).
class ShellWatch {
  public:
    ShellWatch() : emittedAtMs_(maxShells, 0) { emittedAtMs_[0] = testClockMs; }

    void beforeTick() {
        count_ = scene.shellCount;
        first_ = scene.firstLiveShell;
        oldestAge_ = first_ < count_ ? scene.lightShells[first_].age : 0;
    }

    void afterTick() {
        const int emitted = scene.shellCount - count_;
        const int retired = scene.firstLiveShell - first_;
        ASSERT_TRUE(emitted == 0 || emitted == 1) << emitted;
        ASSERT_TRUE(retired == 0 || retired == 1) << retired;
        ASSERT_LE(scene.shellCount, maxShells);
        ASSERT_LE(scene.firstLiveShell, scene.shellCount);
        if (emitted == 1) {
            const long double since =
                millisecondsBetween(testClockMs, lastEmissionMs()) * 0.001 * scene.timeScale;
            EXPECT_GE(since, 60) << "shell " << count_;
            emittedAtMs_[count_] = testClockMs;
        }
        const bool due = first_ < count_ && oldestAge_ > 86400;
        EXPECT_EQ(retired == 1, due) << "oldest shell " << first_ << " aged " << oldestAge_;
        for (int i = scene.firstLiveShell; i < scene.shellCount; ++i) {
            const long double age = scene.lightShells[i].age;
            const long double expected =
                millisecondsBetween(testClockMs, emittedAtMs_[i]) * 0.001 * scene.timeScale;
            ASSERT_LE(std::fabs(age - expected), 1e-15 * expected + 1e-9)
                << "shell " << i << " aged " << age << ", emitted " << expected << " s ago";
        }
        maxLive_ = std::max(maxLive_, scene.shellCount - scene.firstLiveShell);
    }

    int maxLive() const { return maxLive_; }

  private:
    std::int32_t lastEmissionMs() const { return emittedAtMs_[count_ - 1]; }

    std::vector<std::int32_t> emittedAtMs_;
    int count_ = 0;
    int first_ = 0;
    long double oldestAge_ = 0;
    int maxLive_ = 0;
};

struct RunResult {
    std::int64_t ticks = 0;
    bool clockWrapped = false;  // the raw reading went from above 2^31 - 1 - tick to below 0
    int maxLive = 0;
};

// Runs onIdle in one-minute ticks for `days` of real time, checking the shells every tick and the
// whole scene and a frame now and then.
RunResult runFor(int days) {
    RunResult result;
    ShellWatch shells;
    const std::int64_t ticks = days * msPerDay / tickMs;
    for (std::int64_t n = 1; n <= ticks; ++n) {
        const std::int32_t before = testClockMs;
        testClockMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(testClockMs) + tickMs);
        result.clockWrapped = result.clockWrapped || (before > 0 && testClockMs < 0);
        shells.beforeTick();
        onIdle();
        shells.afterTick();
        EXPECT_DOUBLE_EQ(scene.frameStep, tickMs * 0.001 * scene.timeScale) << "tick " << n;
        if (n % ticksBetweenFrames == 0 || n == ticks) {
            expectSceneFinite();
            expectBalancedFrame();
        }
        if (::testing::Test::HasFatalFailure()) {
            ADD_FAILURE() << "stopped at tick " << n;
            break;
        }
        result.ticks = n;
    }
    result.maxLive = shells.maxLive();
    return result;
}

class Endurance : public ::testing::Test {
  protected:
    void start(std::int32_t clockMs) {
        resetScene();
        useTestClock(clockMs);
        initScene();
        glrec::setMode(glrec::Mode::Counting);
    }
};

// 30 days at 10^8 from a clock that starts at 0, like the program's: the wrap comes on day 24.86.
// A tick is then 6e9 simulated seconds: a shell is emitted every tick, retired two ticks later,
// and most angles gain millions of degrees a tick, keeping them far above 360.
TEST_F(Endurance, ThirtyDaysAtTimeScale1e8StayExactAndFinite) {
    start(0);
    for (int i = 0; i < 8; ++i) {
        onKeyboard(']', 0, 0);
    }
    ASSERT_EQ(scene.timeScale, 1e8);
    onKeyboard('#', 0, 0);  // follow the Earth: its position drives the camera every frame
    const std::vector<Tracked> tracked = trackAdvancedAngles();

    const RunResult run = runFor(30);
    ASSERT_EQ(run.ticks, 30 * msPerDay / tickMs);
    EXPECT_TRUE(run.clockWrapped);
    EXPECT_LE(run.maxLive, 2);
    EXPECT_EQ(scene.shellCount, maxShells);
    EXPECT_EQ(scene.firstLiveShell, maxShells);
    expectAnglesFollowTheWrapRule(tracked, run.ticks, scene.frameStep);

    // Pluto's orbit gains 276.5 degrees a tick, the one orbit below 360 a tick, so it stays below
    // 360; Neptune's gains 415.6, so each tick leaves 55.6 and its angle keeps growing.
    ASSERT_LT(scene.planets[9].orbitRate * scene.frameStep, 360);
    EXPECT_LT(scene.planets[9].orbitAngle, 360);
    EXPECT_GT(scene.planets[8].orbitAngle, 360);
}

// 26 days at time scale 1 from 30 minutes before the clock passes 2^31 - 1: the shells are
// emitted on both sides of that wrap and age across it, and the run ends past the second wrap
// point, where the reading passes from -1 to 0, 24.86 days later. No planet's orbit turns once in
// 26 days, so each orbit angle is exactly its start plus rate x elapsed time.
TEST_F(Endurance, TwentySixDaysAtTimeScale1AcrossTheClockWrap) {
    constexpr std::int32_t thirtyMinutesMs = 30 * 60 * 1000;
    start(std::numeric_limits<std::int32_t>::max() - thirtyMinutesMs + 1);
    const std::vector<Tracked> tracked = trackAdvancedAngles();

    const RunResult run = runFor(26);
    ASSERT_EQ(run.ticks, 26 * msPerDay / tickMs);
    EXPECT_TRUE(run.clockWrapped);
    EXPECT_GE(testClockMs, 0) << "the run should end past the -1 to 0 point too";
    EXPECT_EQ(run.maxLive, maxShells);
    EXPECT_EQ(scene.shellCount, maxShells);
    EXPECT_EQ(scene.firstLiveShell, maxShells);
    expectAnglesFollowTheWrapRule(tracked, run.ticks, scene.frameStep);

    // The slowest orbits: 0.10 and 0.16 degrees in 26 days, within 1e-9 degree.
    const long double elapsed = 26 * 86400.0;
    for (int slot : {8, 9}) {
        const BodyRecord& p = scene.planets[slot];
        const Tracked& t = findTracked(tracked, "planets[" + std::to_string(slot) + "].orbitAngle");
        EXPECT_NEAR(static_cast<double>(p.orbitAngle),
                    static_cast<double>(t.start + p.orbitRate * elapsed), 1e-9)
            << "slot " << slot;
        EXPECT_GT(p.orbitAngle, 0.09);
        EXPECT_LT(p.orbitAngle, 0.2);
    }
}

// The shells' own timeline at time scale 1 and one-minute ticks: one shell per tick until the
// 100th at 99 minutes, the first retired once its age passes a day, the last about 25.65 hours in.
TEST_F(Endurance, ShellTimelineAtTimeScale1AcrossTheClockWrap) {
    constexpr std::int32_t tenMinutesMs = 10 * 60 * 1000;
    start(std::numeric_limits<std::int32_t>::max() - tenMinutesMs);
    ShellWatch shells;
    int firstRetirementTick = 0;
    int lastRetirementTick = 0;
    for (int n = 1; n <= 27 * 60; ++n) {
        testClockMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(testClockMs) + tickMs);
        shells.beforeTick();
        const int first = scene.firstLiveShell;
        onIdle();
        shells.afterTick();
        ASSERT_FALSE(HasFatalFailure()) << "tick " << n;
        if (n < maxShells) {
            ASSERT_EQ(scene.shellCount, n + 1) << "tick " << n;
        }
        if (scene.firstLiveShell != first) {
            firstRetirementTick = firstRetirementTick == 0 ? n : firstRetirementTick;
            lastRetirementTick = n;
        }
    }
    // Shell 0's age after 1440 ticks is 1440 x 60 s plus the rounding of the factor 0.001 (a
    // little above 86400), so it leaves at tick 1441; shell 99, emitted at tick 99, at tick 1540.
    EXPECT_EQ(firstRetirementTick, 1441);
    EXPECT_EQ(lastRetirementTick, 1540);
    EXPECT_EQ(scene.firstLiveShell, maxShells);
}

}  // namespace
