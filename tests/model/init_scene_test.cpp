// Start-up: after initScene every record, the camera, the grids, the clock and the first light
// shell hold the values of the start-up table. The expected values are built here from the
// table's decimals (each the double value of its decimal, widened; products formed in long
// double in the order written), not from the program's constants, so a mistyped constant, a
// product formed in double or a field left at the wrong default is caught.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "model/init_scene.h"
#include "model/scene_state.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr long double au = 149600000.0;
constexpr long double earthRate = 1.141e-05;
constexpr long double earthSpin = 0.004178156597309268;
constexpr long double moonRate = 0.0001525022570334041;
constexpr long double earthKm = 6378.0;
constexpr long double driftSpeed = 241.35;
constexpr long double lightTime = 499.0118864164355;
constexpr long double light = 299792.458;
constexpr std::int32_t startMs = 123456;

void expectRecord(const BodyRecord& actual, const BodyRecord& expected, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(actual.orbitAngle, expected.orbitAngle) << "orbitAngle";
    EXPECT_EQ(actual.spinAngle, expected.spinAngle) << "spinAngle";
    EXPECT_EQ(actual.orbitRadius, expected.orbitRadius) << "orbitRadius";
    EXPECT_EQ(actual.orbitRate, expected.orbitRate) << "orbitRate";
    EXPECT_EQ(actual.spinRate, expected.spinRate) << "spinRate";
    EXPECT_EQ(actual.reserved, 0.0) << "reserved";
    EXPECT_EQ(actual.radius, expected.radius) << "radius";
    EXPECT_EQ(actual.orbitNode, expected.orbitNode) << "orbitNode";
    EXPECT_EQ(actual.orbitInclination, expected.orbitInclination) << "orbitInclination";
    EXPECT_EQ(actual.axisNode, expected.axisNode) << "axisNode";
    EXPECT_EQ(actual.axisTilt, expected.axisTilt) << "axisTilt";
    EXPECT_EQ(actual.count, expected.count) << "count";
}

// Planet records and drift levels, one row per slot.
struct PlanetRow {
    long double orbitRadius;
    long double orbitRate;
    long double inclination;
    long double auFactor;      // orbit radius in AU: the factor of the drift level
    int count;                 // used moon-list entries
    long double printedLevel;  // the drift level as printed in the table, to 6 decimals
};

const PlanetRow planetRows[10] = {
    {0, earthRate, 0, 0, 0, 0},  // the Sun: no orbit, but the Earth's rate is kept
    {0.387 * au, 4.15209 * earthRate, 7.0044444444444, 0.387, 2, 46608.932770},
    {0.723 * au, 1.62552 * earthRate, 3.3944444444444, 0.723, 1, 87075.603083},
    {au, earthRate, 0, 1, 2, 120436.518787},
    {227900000.0, 6.06519355e-06, 0, 227900000.0 / au, 3, 183472.477483},
    {5.203 * au, 9.62360909977681e-07, 1.3, 5.203, 1, 626631.207247},
    {9.582 * au, 3.8753182992685097e-07, 2.48, 9.582, 1, 1154022.723013},
    {19.201 * au, 1.3588131452018487e-07, 0.77, 19.201, 1, 2312501.597222},
    {30.047 * au, 6.927316654017387e-08, 1.77, 30.047, 1, 3618756.079981},
    {39.236 * au, 4.608981392989039e-08, 17.16, 39.236, 2, 4725447.251111},
};

// A moon-list entry in the order of the table's columns; spinAngle, reserved and count are 0.
struct GlobeRow {
    long double orbitAngle, orbitRadius, orbitRate, spinRate, radius;
    long double orbitNode, orbitInclination, axisNode, axisTilt;

    BodyRecord record() const {
        BodyRecord r;
        r.orbitAngle = orbitAngle;
        r.orbitRadius = orbitRadius;
        r.orbitRate = orbitRate;
        r.spinRate = spinRate;
        r.radius = radius;
        r.orbitNode = orbitNode;
        r.orbitInclination = orbitInclination;
        r.axisNode = axisNode;
        r.axisTilt = axisTilt;
        return r;
    }
};

const GlobeRow defaultEntry = {0, 100, 0, earthSpin, 0, 90, 0, 90, 0};

const GlobeRow planetGlobes[10] = {
    defaultEntry,
    {90, 0, 0, 7.1243675567e-05, 2439, 0, 0, 0, 0},
    {90, 0, 0, 1.71461e-05, 6052, 90, 0, 90, 177.06666666666666},
    {180, 4800, moonRate, earthSpin, earthKm, 0, 0, 90, 23.45},
    {180, 100, moonRate, 0.0040612343896303145, 3397, 0, 0, 90, 25.183333333333334},
    {0, 100, 0, 0.010075566750629723, 10.973 * earthKm, 90, 0, 90, 3.13},
    {0, 100, 0, 0.009384384384384385, 9.14 * earthKm, 90, 0, 90, 26.73},
    {0, 100, 0, 0.00580046403712297, 1.9905 * earthKm, 90, 0, 90, 97.77},
    {0, 100, 0, 0.006207324643078833, 1.9325 * earthKm, 90, 0, 90, 28.32},
    {180, 2370, 0.000652060511215441, 0.0006523667867021554, 0.178 * earthKm, 90, 99, 90, 122.53},
};

// The moons proper (entries 1 and up); every other entry below 9 keeps the defaults.
GlobeRow moonEntry(int slot, int entry) {
    if (slot == 3 && entry == 1) {
        return {0, 379600, moonRate, moonRate, 1737.5, 0, 0, 90, 0};
    }
    if (slot == 4 && entry == 1) {
        return {0, 9380, 0.013061650992685475, 0.013061650992685475, 13.5, 90, 5.15, 90, 0};
    }
    if (slot == 4 && entry == 2) {
        return {0, 23460, 0.003301637612255679, 0.003301637612255679, 7.5, 90, 1.79, 90, 0};
    }
    if (slot == 9 && entry == 1) {
        return {0, 17230, 0.000652060511215441, 0.000652060511215441, 593, 90, 99, 90, 0};
    }
    return defaultEntry;  // Mercury's second entry among them
}

std::string where(const char* array, int k, int j = -1) {
    std::string s = std::string(array) + "[" + std::to_string(k) + "]";
    return j < 0 ? s : s + "[" + std::to_string(j) + "]";
}

class StartUpScene : public ::testing::Test {
  protected:
    void SetUp() override { startScene(startMs); }
};

TEST_F(StartUpScene, LevelRecordsHoldEachSlotsDriftLevel) {
    for (int k = 0; k < 10; ++k) {
        const PlanetRow& row = planetRows[k];
        BodyRecord expected;
        expected.orbitRadius = driftSpeed * row.auFactor * lightTime;
        expected.radius = 100;
        expected.count = 1;
        expectRecord(scene.levels[k], expected, where("levels", k));

        // The Sun's drift while light crosses the orbit: the table's printed value, and speed x
        // radius / c to within the rounding of the light time across one AU (relative 1e-15).
        const long double level = scene.levels[k].orbitRadius;
        EXPECT_NEAR(level, row.printedLevel, 1e-6) << where("levels", k);
        EXPECT_NEAR(level, driftSpeed * row.orbitRadius / light, level * 1e-15)
            << where("levels", k);
    }
    EXPECT_EQ(scene.levels[0].orbitRadius, 0.0);
}

TEST_F(StartUpScene, StarRecordsCarryTheSunsSpinAndOnlySlotZeroHasAGlobe) {
    for (int k = 0; k < 10; ++k) {
        BodyRecord expected;
        expected.spinRate = 0.000152765;
        expected.axisNode = 90;
        expected.axisTilt = 7;
        expected.radius = k == 0 ? 696000 : 0;
        expectRecord(scene.stars[k], expected, where("stars", k));
    }
}

TEST_F(StartUpScene, PlanetRecordsMatchTheTableAndStartAtAngleZero) {
    for (int k = 0; k < 10; ++k) {
        const PlanetRow& row = planetRows[k];
        BodyRecord expected;
        expected.orbitRadius = row.orbitRadius;
        expected.orbitRate = row.orbitRate;
        expected.orbitInclination = row.inclination;
        expected.radius = k == 0 ? 0 : 100;
        expected.count = row.count;
        expectRecord(scene.planets[k], expected, where("planets", k));
    }
}

TEST_F(StartUpScene, MoonListsMatchTheTableAndEntryNineIsAllZero) {
    for (int k = 0; k < 10; ++k) {
        expectRecord(scene.moons[k][0], planetGlobes[k].record(), where("moons", k, 0));
        for (int j = 1; j < 9; ++j) {
            expectRecord(scene.moons[k][j], moonEntry(k, j).record(), where("moons", k, j));
        }
        expectRecord(scene.moons[k][9], BodyRecord{}, where("moons", k, 9));
    }
    // Mercury's list uses its default second entry: a zero-radius globe on a 100 km orbit.
    EXPECT_EQ(scene.planets[1].count, 2);
    EXPECT_EQ(scene.moons[1][1].radius, 0.0);
    EXPECT_EQ(scene.moons[1][1].orbitRadius, 100.0);
}

TEST_F(StartUpScene, CameraStartsAboveAndBehindTheSun) {
    EXPECT_TRUE(sameVec(scene.eye, Vec3{0, 10000000, 10000000}));
    EXPECT_TRUE(sameVec(scene.up, Vec3{0, 1, 0}));
    EXPECT_EQ(scene.viewDirHoriz, 90.0);
    EXPECT_EQ(scene.viewDirVert, 45.0);
    EXPECT_TRUE(sameVec(scene.followOffset, Vec3{0, 0, 0}));
    EXPECT_EQ(scene.followBody, -1);
    EXPECT_EQ(scene.viewBody, -1);
    EXPECT_EQ(scene.timeScale, 1.0);
    EXPECT_EQ(scene.globeScale, 1.0);
    EXPECT_EQ(scene.slotCount, 10);

    // The length of the eye is taken in double precision, not extended.
    EXPECT_EQ(scene.viewDistance, static_cast<long double>(std::sqrt(2e14)));
    EXPECT_NE(scene.viewDistance, std::sqrt(static_cast<long double>(2e14)));

    // -0.1 x eye with 0.1 as a double widened: the x component keeps the sign of -0, and the
    // others lie 5.6e-11 beyond -1e6 because the double 0.1 is slightly above one tenth.
    EXPECT_EQ(scene.zoomStep.x, 0.0);
    EXPECT_TRUE(std::signbit(scene.zoomStep.x));
    const long double tenth = 0.1;
    EXPECT_EQ(scene.zoomStep.y, -10000000 * tenth);
    EXPECT_EQ(scene.zoomStep.z, -10000000 * tenth);
    EXPECT_NEAR(scene.zoomStep.y, -1000000.0, 1e-9);
}

TEST_F(StartUpScene, GridsScaleWithTheViewDistance) {
    const long double distance = 14142135.62373095;  // sqrt(2e14) as a double
    EXPECT_EQ(scene.gridScaleA, distance * 5);       // about 7.07e7 km
    EXPECT_EQ(scene.gridExtentA, distance * 5 * 2);
    EXPECT_EQ(scene.gridScaleB, distance);
    EXPECT_EQ(scene.gridExtentB, distance * 2);
}

TEST_F(StartUpScene, ClockBaselinesAndTheFirstShellAreTakenFromTheClock) {
    EXPECT_EQ(scene.lastTickMs, startMs);
    EXPECT_EQ(scene.emissionBaseMs, startMs);
    EXPECT_EQ(scene.sinceEmission, 0.0);

    EXPECT_EQ(scene.shellCount, 1);
    EXPECT_EQ(scene.firstLiveShell, 0);
    EXPECT_EQ(scene.shellCapacity, 100);
    EXPECT_EQ(scene.shellMaxAge, 86400);
    EXPECT_EQ(scene.shellInterval, 60);
    EXPECT_EQ(scene.lightShells[0].tickMs, startMs);
    for (int i = 0; i < 100; ++i) {
        SCOPED_TRACE("lightShells[" + std::to_string(i) + "]");
        EXPECT_EQ(scene.lightShells[i].age, 0.0);
        EXPECT_EQ(scene.lightShells[i].radius, 0.0);
        EXPECT_EQ(scene.lightShells[i].drift, 0.0);
        if (i > 0) {
            EXPECT_EQ(scene.lightShells[i].tickMs, 0);
        }
    }
}

}  // namespace
