// Where a planet stands: the folded angle distance and the position formula, checked at the
// configurations where the answer is known in closed form, and the drift level's one use (the
// follow offset's z).
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "camera/navigation.h"
#include "model/body_position.h"
#include "model/scene_state.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr long double toRad = 0.017453292519943295;
constexpr long double r = 57895200;  // Mercury's orbit radius, km
constexpr int slot = 1;

// Rounding near a zero of sine or cosine: K is pi/180 rounded to a double, so cos(90 K) is of
// order 1e-17 rather than 0. Results are compared to r x 1e-15.
constexpr double roundingTolerance = 57895200 * 1e-15;

Vec3 placeAt(long double theta, long double node, long double inclination) {
    BodyRecord& p = scene.planets[slot];
    p.orbitAngle = theta;
    p.orbitRadius = r;
    p.orbitNode = node;
    p.orbitInclination = inclination;
    return planetScenePosition(slot);
}

std::string elements(long double theta, long double node, long double inclination) {
    return "theta " + std::to_string(static_cast<double>(theta)) + ", node " +
           std::to_string(static_cast<double>(node)) + ", inclination " +
           std::to_string(static_cast<double>(inclination));
}

class PlanetPosition : public ::testing::Test {
  protected:
    void SetUp() override { resetScene(); }
};

TEST(AngleDistance, IsTheAbsoluteDifferenceFoldedToAtMost180) {
    struct Case {
        long double a, b, expected;
    };
    const Case cases[] = {
        {30, 10, 20},  {10, 30, 20},  {350, 10, 20}, {10, 350, 20},     {90, 90, 0},
        {0, 180, 180}, {180, 0, 180}, {0, 181, 179}, {0, 180.5, 179.5}, {0, 270, 90},
        {0, 360, 0},   {-10, 10, 20}, {359, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(angleDistance(c.a, c.b), c.expected)
            << "angleDistance(" << static_cast<double>(c.a) << ", " << static_cast<double>(c.b)
            << ")";
    }
}

TEST_F(PlanetPosition, FlatOrbitGivesThePointOnTheCircleForAnyNode) {
    for (long double theta : {0.0, 30.0, 123.4, 270.0, 359.0}) {
        for (long double node : {0.0, 45.0, 200.0}) {
            SCOPED_TRACE(elements(theta, node, 0));
            EXPECT_TRUE(sameVec(placeAt(theta, node, 0), Vec3{std::cos(theta * toRad) * r, 0,
                                                              -std::sin(theta * toRad) * r}));
        }
    }
}

TEST_F(PlanetPosition, QuarterTurnTiltLiftsTheNodePointStraightUp) {
    const Vec3 p = placeAt(0, 0, 90);
    EXPECT_TRUE(vecNear(p, Vec3{0, r, 0}, roundingTolerance));
    EXPECT_EQ(p.z, 0);
}

TEST_F(PlanetPosition, QuarterOrbitFromNodeZeroLiesOnMinusZForAnyInclination) {
    for (long double inclination : {0.0, 7.0044444444444, 45.0, 90.0, 99.0, 179.0}) {
        SCOPED_TRACE(elements(90, 0, inclination));
        EXPECT_TRUE(vecNear(placeAt(90, 0, inclination), Vec3{0, 0, -r}, roundingTolerance));
    }
}

TEST_F(PlanetPosition, HeightAcrossZeroDegreesUsesTheFoldedDistance) {
    const long double pi = std::acos(static_cast<long double>(-1));
    for (long double inclination : {7.0044444444444, 17.16, 60.0}) {
        SCOPED_TRACE(elements(350, 10, inclination));
        const Vec3 p = placeAt(350, 10, inclination);
        const long double expected = r * std::sin(inclination * pi / 180) * std::cos(20 * pi / 180);
        EXPECT_NEAR(p.y, expected, roundingTolerance);
        // The same 20 degrees measured without crossing zero (theta 30) gives the same height.
        EXPECT_EQ(p.y, placeAt(30, 10, inclination).y);
    }
}

TEST_F(PlanetPosition, NodeAndInclinationTogetherCorrectXAndZByTheirOwnFactors) {
    // theta 30, node 60, inclination 30: x is corrected by (1 - cos i) cos node and z by
    // (1 - cos node) sin i, which is not the rigid rotation of the tilted ring.
    const Vec3 p = placeAt(30, 60, 30);
    const double root3 = std::sqrt(3.0);
    EXPECT_NEAR(p.x, r * (root3 / 4 + 3.0 / 8), roundingTolerance);
    EXPECT_NEAR(p.y, r * root3 / 4, roundingTolerance);
    EXPECT_NEAR(p.z, -r * 3 / 8, roundingTolerance);
}

TEST_F(PlanetPosition, DriftLevelIsAddedOnlyToTheFollowOffsetsZ) {
    // An inclined orbit off its node, so every component is non-zero.
    placeAt(123.4, 0, 17.16);
    scene.levels[slot].orbitRadius = 0;
    const Vec3 flat = planetScenePosition(slot);
    scene.levels[slot].orbitRadius = 4725447.251111;
    EXPECT_TRUE(sameVec(planetScenePosition(slot), flat));
    EXPECT_NE(flat.y, 0);

    followPlanet(slot);
    EXPECT_TRUE(
        sameVec(scene.followOffset, Vec3{flat.x, flat.y, flat.z + scene.levels[slot].orbitRadius}));
}

}  // namespace
