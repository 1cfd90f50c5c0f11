// Where a planet stands: the folded angle distance and the position formula, checked at the
// configurations where the answer is known in closed form, and the drift level's one use (the
// follow offset's z).
#include <gtest/gtest.h>

#include <cmath>

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

class PlanetPosition : public ::testing::Test {
  protected:
    void SetUp() override { resetScene(); }
};

TEST(AngleDistance, IsTheAbsoluteDifferenceFoldedToAtMost180) {
    const long double cases[][3] = {
        {30, 10, 20},  {10, 30, 20},  {350, 10, 20}, {10, 350, 20},     {90, 90, 0},
        {0, 180, 180}, {180, 0, 180}, {0, 181, 179}, {0, 180.5, 179.5}, {0, 270, 90},
        {0, 360, 0},   {-10, 10, 20}, {359, 0, 1},
    };
    for (const auto& [a, b, expected] : cases) {
        EXPECT_EQ(angleDistance(a, b), expected)
            << static_cast<double>(a) << ", " << static_cast<double>(b);
    }
}

TEST_F(PlanetPosition, FlatOrbitGivesThePointOnTheCircleForAnyNode) {
    for (long double theta : {0.0, 30.0, 123.4, 270.0, 359.0}) {
        for (long double node : {0.0, 45.0, 200.0}) {
            EXPECT_TRUE(sameVec(placeAt(theta, node, 0),
                                Vec3{std::cos(theta * toRad) * r, 0, -std::sin(theta * toRad) * r}))
                << "theta " << static_cast<double>(theta) << ", node " << static_cast<double>(node);
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
        EXPECT_TRUE(vecNear(placeAt(90, 0, inclination), Vec3{0, 0, -r}, roundingTolerance))
            << "inclination " << static_cast<double>(inclination);
    }
}

// 20 degrees from the node across zero (theta 350, node 10) gives the height of 20 degrees
// measured without crossing it (theta 30).
TEST_F(PlanetPosition, HeightAcrossZeroDegreesUsesTheFoldedDistance) {
    const long double pi = std::acos(static_cast<long double>(-1));
    for (long double inclination : {7.0044444444444, 17.16, 60.0}) {
        SCOPED_TRACE(static_cast<double>(inclination));
        const Vec3 p = placeAt(350, 10, inclination);
        EXPECT_NEAR(p.y, r * std::sin(inclination * pi / 180) * std::cos(20 * pi / 180),
                    roundingTolerance);
        EXPECT_EQ(p.y, placeAt(30, 10, inclination).y);
    }
}

// theta 30, node 60, inclination 30: x is corrected by (1 - cos i) cos node and z by
// (1 - cos node) sin i, which is not the rigid rotation of the tilted ring.
TEST_F(PlanetPosition, NodeAndInclinationTogetherCorrectXAndZByTheirOwnFactors) {
    const double root3 = std::sqrt(3.0);
    EXPECT_TRUE(vecNear(placeAt(30, 60, 30),
                        Vec3{r * (root3 / 4 + 3.0 / 8), r * root3 / 4, -r * 3 / 8},
                        roundingTolerance));
}

// An inclined orbit off its node, so every component is non-zero.
TEST_F(PlanetPosition, DriftLevelIsAddedOnlyToTheFollowOffsetsZ) {
    const Vec3 flat = placeAt(123.4, 0, 17.16);
    ASSERT_NE(flat.y, 0);
    scene.levels[slot].orbitRadius = 4725447.251111;
    EXPECT_TRUE(sameVec(planetScenePosition(slot), flat));
    followPlanet(slot);
    EXPECT_TRUE(sameVec(scene.followOffset, Vec3{flat.x, flat.y, flat.z + 4725447.251111}));
}

}  // namespace
