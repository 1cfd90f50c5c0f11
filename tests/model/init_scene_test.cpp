// Start-up: after initScene every record, the camera, the grids, the clock and the first light
// shell hold the values of the start-up table. The expected values are built here from the
// table's decimals (each the double value of its decimal, widened; products formed in long
// double in the order written), not from the program's constants, so a mistyped constant, a
// product formed in double or a field left at the wrong default is caught.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <tuple>

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
constexpr std::int32_t startMs = 123456;

// A record from the table's columns, in their order; spinAngle, reserved and count are 0.
BodyRecord globe(long double orbitAngle, long double orbitRadius, long double orbitRate,
                 long double spinRate, long double radius, long double orbitNode,
                 long double orbitInclination, long double axisNode, long double axisTilt) {
    return {.orbitAngle = orbitAngle,
            .orbitRadius = orbitRadius,
            .orbitRate = orbitRate,
            .spinRate = spinRate,
            .radius = radius,
            .orbitNode = orbitNode,
            .orbitInclination = orbitInclination,
            .axisNode = axisNode,
            .axisTilt = axisTilt};
}

// A moon spins once per orbit and has no axis tilt.
BodyRecord moon(long double orbitRadius, long double rate, long double radius, long double node,
                long double inclination) {
    return {.orbitRadius = orbitRadius,
            .orbitRate = rate,
            .spinRate = rate,
            .radius = radius,
            .orbitNode = node,
            .orbitInclination = inclination,
            .axisNode = 90};
}

using StartUpScene = StartSceneTest;

// Planet records and drift levels, one row per slot: the orbit radius, rate and inclination, the
// orbit radius in AU (the factor of the drift level), the used moon-list entries, and the drift
// level as printed in the table, to 6 decimals.
TEST_F(StartUpScene, PlanetAndLevelRecordsMatchTheTable) {
    const struct {
        long double radius, rate, inclination, auFactor;
        int count;
        long double printedLevel;
    } rows[10] = {
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
    for (int k = 0; k < 10; ++k) {
        const auto& row = rows[k];
        BodyRecord planet =
            globe(0, row.radius, row.rate, 0, k == 0 ? 0 : 100, 0, row.inclination, 0, 0);
        planet.count = row.count;
        EXPECT_EQ(fieldsOf(scene.planets[k]), fieldsOf(planet)) << where("planets", k);
        BodyRecord level{.orbitRadius = driftSpeed * row.auFactor * 499.0118864164355,
                         .radius = 100,
                         .count = 1};
        EXPECT_EQ(fieldsOf(scene.levels[k]), fieldsOf(level)) << where("levels", k);
        // The Sun's drift while light crosses the orbit: speed x radius / c to within the
        // rounding of the light time across one AU (relative 1e-15).
        const long double drift = scene.levels[k].orbitRadius;
        EXPECT_NEAR(drift, row.printedLevel, 1e-6) << where("levels", k);
        EXPECT_NEAR(drift, driftSpeed * row.radius / 299792.458, drift * 1e-15) << k;
    }
}

TEST_F(StartUpScene, StarRecordsCarryTheSunsSpinAndOnlySlotZeroHasAGlobe) {
    for (int k = 0; k < 10; ++k) {
        const BodyRecord star{.spinRate = 0.000152765,
                              .radius = k == 0 ? 696000.0 : 0.0,
                              .axisNode = 90,
                              .axisTilt = 7};
        EXPECT_EQ(fieldsOf(scene.stars[k]), fieldsOf(star)) << where("stars", k);
    }
}

// Entry 0 is the planet's own globe; the moons proper follow; every other entry below 9 keeps the
// defaults (Mercury's second among them), and entry 9 is never written.
TEST_F(StartUpScene, MoonListsMatchTheTableAndEntryNineIsAllZero) {
    BodyRecord expected[10][10];
    for (int k = 0; k < 10; ++k) {
        for (int j = 0; j < 9; ++j) {
            expected[k][j] = globe(0, 100, 0, earthSpin, 0, 90, 0, 90, 0);
        }
    }
    expected[1][0] = globe(90, 0, 0, 7.1243675567e-05, 2439, 0, 0, 0, 0);
    expected[2][0] = globe(90, 0, 0, 1.71461e-05, 6052, 90, 0, 90, 177.06666666666666);
    expected[3][0] = globe(180, 4800, moonRate, earthSpin, earthKm, 0, 0, 90, 23.45);
    expected[4][0] =
        globe(180, 100, moonRate, 0.0040612343896303145, 3397, 0, 0, 90, 25.183333333333334);
    expected[5][0] = globe(0, 100, 0, 0.010075566750629723, 10.973 * earthKm, 90, 0, 90, 3.13);
    expected[6][0] = globe(0, 100, 0, 0.009384384384384385, 9.14 * earthKm, 90, 0, 90, 26.73);
    expected[7][0] = globe(0, 100, 0, 0.00580046403712297, 1.9905 * earthKm, 90, 0, 90, 97.77);
    expected[8][0] = globe(0, 100, 0, 0.006207324643078833, 1.9325 * earthKm, 90, 0, 90, 28.32);
    expected[9][0] = globe(180, 2370, 0.000652060511215441, 0.0006523667867021554, 0.178 * earthKm,
                           90, 99, 90, 122.53);
    expected[3][1] = moon(379600, moonRate, 1737.5, 0, 0);
    expected[4][1] = moon(9380, 0.013061650992685475, 13.5, 90, 5.15);
    expected[4][2] = moon(23460, 0.003301637612255679, 7.5, 90, 1.79);
    expected[9][1] = moon(17230, 0.000652060511215441, 593, 90, 99);
    for (int k = 0; k < 10; ++k) {
        for (int j = 0; j < 10; ++j) {
            EXPECT_EQ(fieldsOf(scene.moons[k][j]), fieldsOf(expected[k][j]))
                << where("moons", k, j);
        }
    }
}

// The eye's length is taken in double precision, not extended. The zoom step is -0.1 x eye with
// 0.1 as a double widened: its x keeps the sign of -0, and the others lie 5.6e-11 beyond -1e6
// because the double 0.1 is slightly above one tenth.
TEST_F(StartUpScene, CameraStartsAboveAndBehindTheSun) {
    EXPECT_TRUE(sameVec(scene.eye, Vec3{0, 10000000, 10000000}));
    EXPECT_TRUE(sameVec(scene.up, Vec3{0, 1, 0}));
    EXPECT_TRUE(sameVec(scene.followOffset, Vec3{0, 0, 0}));
    const SceneState& s = scene;
    EXPECT_EQ(std::tuple(s.viewDirHoriz, s.viewDirVert, s.followBody, s.viewBody, s.timeScale,
                         s.globeScale, s.slotCount),
              std::tuple(90.0, 45.0, -1, -1, 1.0, 1.0, 10));
    EXPECT_EQ(scene.viewDistance, static_cast<long double>(std::sqrt(2e14)));
    EXPECT_NE(scene.viewDistance, std::sqrt(static_cast<long double>(2e14)));
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

TEST(StartUp, ClockBaselinesAndTheFirstShellAreTakenFromTheClock) {
    startScene(startMs);
    const SceneState& s = scene;
    EXPECT_EQ(std::tuple(s.lastTickMs, s.emissionBaseMs, s.sinceEmission, s.shellCount,
                         s.firstLiveShell, s.shellCapacity, s.shellMaxAge, s.shellInterval),
              std::tuple(startMs, startMs, 0.0, 1, 0, 100, 86400, 60));
    for (int i = 0; i < maxShells; ++i) {
        const LightShell& shell = scene.lightShells[i];
        EXPECT_EQ(std::tuple(shell.tickMs, shell.age, shell.radius, shell.drift),
                  std::tuple(i == 0 ? startMs : 0, 0.0, 0.0, 0.0))
            << "lightShells[" << i << "]";
    }
}

}  // namespace
