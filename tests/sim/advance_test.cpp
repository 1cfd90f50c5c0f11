// The orbital and spin advance: every angle moves by rate x frameStep, loses one turn once it
// reaches 360, and only the records the idle tick is meant to move are moved.
#include <gtest/gtest.h>

#include "model/scene_state.h"
#include "sim/advance.h"
#include "tests/support/test_helpers.h"

namespace {

using OrbitAndSpinAdvance = StartSceneTest;

// One advanceRecord of both angles; the steps are binary-exact, so sums land on 360 itself.
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

// Every angle at 360 and a tick in the same millisecond: an advanced record drops to 0 even where
// its rate is 0; the drift levels and the unused moon entries stay at 360. Each angle below is
// 0 or 360, so their sum tells both.
TEST_F(OrbitAndSpinAdvance, EveryStarAndPlanetButOnlyUsedMoonEntriesAreAdvanced) {
    for (int k = 0; k < maxSlots; ++k) {
        for (BodyRecord* r : {&scene.levels[k], &scene.stars[k], &scene.planets[k]}) {
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
                              EXPECT_EQ(r.orbitAngle + r.spinAngle, 0) << name;
                          });
    for (int k = 0; k < maxSlots; ++k) {
        EXPECT_EQ(scene.levels[k].orbitAngle + scene.levels[k].spinAngle, 720) << "level " << k;
        for (int j = scene.planets[k].count; j < moonListSize; ++j) {
            EXPECT_EQ(scene.moons[k][j].orbitAngle + scene.moons[k][j].spinAngle, 720) << k << j;
        }
    }
}

// Ticks of changing length and time scale: every record moves by its rates times this tick's step
// (one turn off at 360), and no other field changes.
TEST_F(OrbitAndSpinAdvance, EveryRecordMovesByItsRatesTimesThisTicksStep) {
    auto advanced = [](long double angle, long double rate) {
        const long double moved = angle + rate * scene.frameStep;
        return moved >= 360 ? moved - 360 : moved;
    };
    auto fixed = [](BodyRecord r) {
        r.orbitAngle = r.spinAngle = 0;
        return fieldsOf(r);
    };
    const double scales[] = {1, 10, 1e3, 1e5, 1e8, 1e8, 1e8};
    for (int tick = 0; tick < 7; ++tick) {
        scene.timeScale = scales[tick];
        const SceneState before = scene;
        idleAfter(16 + 21 * tick);
        forEachAdvancedRecord(
            before, [&](const BodyRecord& r, const BodyRecord& old, const std::string& name) {
                EXPECT_EQ(r.orbitAngle, advanced(old.orbitAngle, old.orbitRate)) << name;
                EXPECT_EQ(r.spinAngle, advanced(old.spinAngle, old.spinRate)) << name;
            });
        for (int k = 0; k < maxSlots; ++k) {
            EXPECT_EQ(fieldsOf(scene.levels[k]), fieldsOf(before.levels[k])) << k;
            EXPECT_EQ(fixed(scene.stars[k]), fixed(before.stars[k])) << k;
            EXPECT_EQ(fixed(scene.planets[k]), fixed(before.planets[k])) << k;
            for (int j = 0; j < moonListSize; ++j) {
                EXPECT_EQ(fixed(scene.moons[k][j]), fixed(before.moons[k][j])) << k << j;
            }
        }
    }
}

}  // namespace
