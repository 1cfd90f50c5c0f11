// The orbital and spin advance: every angle moves by rate x frameStep, wraps once at exactly 360,
// and only the records the idle tick is meant to move are moved.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

#include "model/scene_state.h"
#include "sim/advance.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

// Every record the idle tick advances (all stars and planets, and the used moon-list entries),
// each with its twin in an earlier copy of the scene.
using Visit =
    std::function<void(const BodyRecord& now, const BodyRecord& before, const std::string& name)>;
void forEachAdvancedRecord(const SceneState& before, const Visit& visit) {
    for (int k = 0; k < 10; ++k) {
        const std::string slot = "[" + std::to_string(k) + "]";
        visit(scene.stars[k], before.stars[k], "stars" + slot);
        visit(scene.planets[k], before.planets[k], "planets" + slot);
        for (int j = 0; j < scene.planets[k].count; ++j) {
            visit(scene.moons[k][j], before.moons[k][j],
                  "moons" + slot + "[" + std::to_string(j) + "]");
        }
    }
}

// The angle an advance must leave: one step, then at most one turn taken off.
long double advanced(long double angle, long double rate, double step) {
    const long double moved = angle + rate * step;
    return moved >= 360 ? moved - 360 : moved;
}

class OrbitAndSpinAdvance : public ::testing::Test {
  protected:
    void SetUp() override {
        startScene(1000);
        glrec::setMode(glrec::Mode::Counting);
    }
};

// One advanceRecord from `angle` at `rate` over `step` seconds; the orbit and the spin angle are
// each given the case and must both end at `expected`. The steps are binary-exact, so sums land
// on 360 itself.
TEST_F(OrbitAndSpinAdvance, OneTurnIsTakenOffAnAngleOfAtLeast360) {
    struct Case {
        const char* what;
        long double angle, rate;
        double step;
        long double expected;
    };
    const Case cases[] = {
        {"reaches exactly 360", 352, 1, 8, 0},
        {"reaches exactly 360 from 359.5", 359.5, 0.0625, 8, 0},
        {"stops just short of the turn", 359.5, 0.0625 - 1.0 / 1024, 8, 359.9921875},
        {"zero step at 360", 360, 5, 0, 0},
        {"zero step at 725 loses one turn only", 725, 5, 0, 365},
        {"zero step at 365", 365, 5, 0, 5},
        {"nothing adds a turn to a negative angle", -10, 5, 0, -10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BodyRecord r;
        r.orbitAngle = r.spinAngle = c.angle;
        r.orbitRate = r.spinRate = c.rate;
        scene.frameStep = c.step;
        advanceRecord(r);
        EXPECT_EQ(r.orbitAngle, c.expected);
        EXPECT_EQ(r.spinAngle, c.expected);
    }
}

TEST_F(OrbitAndSpinAdvance, AStepOfManyTurnsLosesOnlyOneTurn) {
    // About one spin a day at 1e8 and 16 ms ticks: some 6,700 degrees per tick. The angle stays
    // above 360 and keeps growing from tick to tick.
    scene.timeScale = 1e8;
    const BodyRecord& earth = scene.moons[3][0];
    long double previous = earth.spinAngle;
    for (int tick = 0; tick < 5; ++tick) {
        idleAfter(16);
        ASSERT_EQ(scene.frameStep, 1600000.0);
        const long double moved = previous + earth.spinRate * scene.frameStep;
        EXPECT_GT(moved, 6000);
        EXPECT_EQ(earth.spinAngle, moved - 360) << "tick " << tick;
        EXPECT_GT(earth.spinAngle, previous) << "tick " << tick;
        previous = earth.spinAngle;
    }
}

TEST_F(OrbitAndSpinAdvance, EveryStarAndPlanetButOnlyUsedMoonEntriesAreAdvanced) {
    // Every angle at 360 and a tick in the same millisecond: an advanced record drops to 0 even
    // where its rate is 0 (the stars' orbits, the planets' spins, Venus's globe orbit).
    for (int k = 0; k < 10; ++k) {
        for (BodyRecord* r : {&scene.stars[k], &scene.planets[k]}) {
            r->orbitAngle = r->spinAngle = 360;
        }
        for (BodyRecord& m : scene.moons[k]) {
            m.orbitAngle = m.spinAngle = 360;
        }
    }
    idleAfter(0);
    ASSERT_EQ(scene.frameStep, 0);
    forEachAdvancedRecord(scene,
                          [](const BodyRecord& r, const BodyRecord&, const std::string& name) {
                              EXPECT_EQ(r.orbitAngle, 0) << name;
                              EXPECT_EQ(r.spinAngle, 0) << name;
                          });
    for (int k = 0; k < 10; ++k) {
        for (int j = scene.planets[k].count; j < 10; ++j) {
            EXPECT_EQ(scene.moons[k][j].orbitAngle, 360) << "moons[" << k << "][" << j << "]";
            EXPECT_EQ(scene.moons[k][j].spinAngle, 360) << "moons[" << k << "][" << j << "]";
        }
    }
}

TEST_F(OrbitAndSpinAdvance, EveryRecordMovesByItsRatesTimesThisTicksStep) {
    // A first tick of one length, then one of another: all records must use the new step.
    scene.timeScale = 10;
    idleAfter(16);
    const SceneState before = scene;
    idleAfter(37);
    const double step = 37 * static_cast<long double>(0.001) * 10;
    ASSERT_EQ(scene.frameStep, step);
    forEachAdvancedRecord(
        before, [&](const BodyRecord& r, const BodyRecord& old, const std::string& name) {
            EXPECT_EQ(r.orbitAngle, advanced(old.orbitAngle, old.orbitRate, step)) << name;
            EXPECT_EQ(r.spinAngle, advanced(old.spinAngle, old.spinRate, step)) << name;
        });
    EXPECT_GT(scene.planets[3].orbitAngle, before.planets[3].orbitAngle);
}

// Every field the advance must leave alone, as one comparable value.
auto fixedFields(const BodyRecord& r) {
    return std::tuple(r.orbitRadius, r.orbitRate, r.spinRate, r.reserved, r.radius, r.orbitNode,
                      r.orbitInclination, r.axisNode, r.axisTilt, r.count);
}

TEST_F(OrbitAndSpinAdvance, OnlyAnglesOfUsedRecordsChangeOverManyTicks) {
    const SceneState before = scene;
    scene.timeScale = 1e6;
    for (int tick = 0; tick < 2000; ++tick) {
        idleAfter(16);
    }
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(fixedFields(scene.levels[k]), fixedFields(before.levels[k])) << "levels " << k;
        EXPECT_EQ(scene.levels[k].orbitAngle, 0) << "levels " << k;
        EXPECT_EQ(fixedFields(scene.stars[k]), fixedFields(before.stars[k])) << "stars " << k;
        EXPECT_EQ(fixedFields(scene.planets[k]), fixedFields(before.planets[k])) << "planets " << k;
        for (int j = 0; j < 10; ++j) {
            const BodyRecord& now = scene.moons[k][j];
            const BodyRecord& old = before.moons[k][j];
            EXPECT_EQ(fixedFields(now), fixedFields(old)) << "moons " << k << ", " << j;
            if (j >= scene.planets[k].count) {
                EXPECT_EQ(now.orbitAngle, old.orbitAngle) << "unused moons " << k << ", " << j;
                EXPECT_EQ(now.spinAngle, old.spinAngle) << "unused moons " << k << ", " << j;
            }
        }
    }
    EXPECT_NE(scene.moons[4][2].orbitAngle, before.moons[4][2].orbitAngle);  // Deimos moved
}

TEST_F(OrbitAndSpinAdvance, AnglesNeverDecreaseExceptAtTheWrap) {
    const double scales[] = {1, 10, 1e3, 1e5, 1e8};
    for (int tick = 0; tick < 400; ++tick) {
        scene.timeScale = scales[tick % 5];
        const SceneState before = scene;
        idleAfter(static_cast<std::uint32_t>(tick % 41));
        forEachAdvancedRecord(
            before, [&](const BodyRecord& r, const BodyRecord& old, const std::string& name) {
                const long double pairs[2][3] = {{old.orbitAngle, old.orbitRate, r.orbitAngle},
                                                 {old.spinAngle, old.spinRate, r.spinAngle}};
                for (const auto& [was, rate, now] : pairs) {
                    if (now < was) {
                        // Only the one turn taken off may bring an angle back.
                        EXPECT_GE(was + rate * scene.frameStep, 360) << name << " tick " << tick;
                        EXPECT_EQ(now, was + rate * scene.frameStep - 360) << name;
                    }
                }
            });
    }
}

}  // namespace
