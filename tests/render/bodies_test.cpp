// The moving bodies: light shells, stars, planet systems and moon lists, drawn from the start-up
// table, and the planet translation the follow camera relies on.
#include "render/bodies.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <vector>

#include "camera/navigation.h"
#include "model/body_position.h"
#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Call;
using glrec::Fn;

using Bodies = StartSceneTest;

// The far end of every radius line (the second vertex of each GL_LINES shape), in order.
std::vector<Call> radiusLineEnds(const std::vector<Call>& calls) {
    std::vector<Call> ends;
    for (const Shape& shape : shapesOf(calls)) {
        if (shape.mode == GL_LINES) {
            ends.push_back(calls.at(shape.begin + 2));
        }
    }
    return ends;
}

// Shell 0 retired; 1 to 3 live, older ones larger and further along +z. Each: a push, its drift,
// its own ring and the 10,000 km centre ring (360 segments, yellow, closing at (r, 0, 0)), a pop.
TEST_F(Bodies, LightShellsOldestFirstAtTheirDriftWithACentreRing) {
    scene.shellCount = 4;
    scene.firstLiveShell = 1;
    const long double radii[4] = {9e9, 3e7, 2e7, 1e7};
    for (int i = 0; i < 4; ++i) {
        scene.lightShells[i].radius = radii[i];
        scene.lightShells[i].drift = radii[i] / lightSpeed * sunDriftSpeed;
    }
    const glrec::Mat4 before = startFromSomeFrame();
    drawLightShells();
    const std::vector<Call> calls = recorded();
    const std::size_t perShell = 1 + 1 + 2 * (360 + 2) + 1;
    ASSERT_EQ(calls.size(), 2 + 3 * perShell);
    EXPECT_TRUE(callIs(calls.front(), Fn::Color3f, {1, 1, 0}));
    EXPECT_TRUE(callIs(calls.back(), Fn::Color3f, {1, 1, 1}));
    for (int shell = 1; shell <= 3; ++shell) {
        SCOPED_TRACE(shell);
        const std::size_t at = 1 + (shell - 1) * perShell;
        const double drift = static_cast<double>(scene.lightShells[shell].drift);
        EXPECT_EQ(calls[at].fn, Fn::PushMatrix);
        EXPECT_TRUE(callIs(calls[at + 1], Fn::Translated, {0, 0, drift}));
        for (const double radius : {static_cast<double>(radii[shell]), 10000.0}) {
            const std::size_t begin = at + (radius == 10000 ? 364 : 2);
            EXPECT_TRUE(callIs(calls[begin], Fn::Begin, {GL_LINE_LOOP}));
            EXPECT_EQ(calls[begin + 361].fn, Fn::End);
            const Call& last = calls[begin + 360];
            EXPECT_EQ(last.args[0], radius);
            EXPECT_TRUE(isColor(last.color, 1, 1, 0));
            EXPECT_TRUE(pointNear(last.eye, glrec::transform(before, {radius, 0, drift}), 1e-6));
        }
        EXPECT_EQ(calls[at + perShell - 1].fn, Fn::PopMatrix);
    }
    EXPECT_TRUE(stackRestored(before));
}

// The shells come before the star's rotations, at the frame they were given; then the Sun's
// 696,000 km globe in yellow, and white restored at the end.
TEST_F(Bodies, ShellsAreDrawnAtTheSunBeforeItsRotations) {
    runSomeWeeks();
    const glrec::Mat4 before = startFromSomeFrame();
    drawStar(0);
    const std::vector<Call> calls = recorded();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[1].fn, Fn::PushMatrix);
    EXPECT_TRUE(callIs(calls[2], Fn::Translated,
                       {0, 0, static_cast<double>(scene.lightShells[scene.firstLiveShell].drift)}));
    EXPECT_EQ(calls[2].modelview, before);
    const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
    ASSERT_EQ(spheres.size(), 1u);
    EXPECT_EQ(spheres[0].args[0], 696000.0);
    EXPECT_TRUE(isColor(spheres[0].color, 1, 1, 0));
    EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
}

TEST_F(Bodies, EveryDrawingStepPopsWhatItPushesAndEndsInWhite) {
    runSomeWeeks();
    followPlanet(5);
    std::vector<std::function<void()>> all = {drawAllSlots, drawLightShells};
    for (int k = 0; k < scene.slotCount; ++k) {
        all.push_back([k] { drawSlot(k); });
        all.push_back([k] { drawPlanetSystem(k); });
        all.push_back([k] { drawMoons(k); });
    }
    for (std::size_t s = 0; s < all.size(); ++s) {
        SCOPED_TRACE(s);
        const glrec::Mat4 before = startFromSomeFrame();
        all[s]();
        EXPECT_TRUE(stackRestored(before));
        EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
    }
}

// The marker globe first, then a white 360-segment ring of 10,000 km about the level origin.
TEST_F(Bodies, EverySlotMarksItsDriftLevelWithAGlobeAndATenThousandKilometreRing) {
    for (int k = 0; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        const std::vector<Call> calls = recordOf([k] { drawSlot(k); });
        EXPECT_EQ(callsOf(calls, Fn::WireSphere).at(0).args[0], 100.0);
        const Shape ring = shapesOf(calls).at(0);
        EXPECT_EQ(ring.mode, GL_LINE_LOOP);
        EXPECT_EQ(ring.vertices, 360);
        EXPECT_TRUE(isColor(ring.color, 1, 1, 1));
        const Call& vertex = calls[ring.begin + 1];
        EXPECT_DOUBLE_EQ(ringRadius(vertex), 10000.0);
        EXPECT_NEAR(vertex.eye.z - vertex.args[2], scene.levels[k].orbitRadius, 1e-6);
    }
}

// Same calls and places; only the radius of each planet's own globe (entry 0) is ten times larger.
TEST_F(Bodies, GlobeScaleEnlargesOnlyEachPlanetsOwnGlobe) {
    runSomeWeeks();
    const std::vector<Call> plain = recordOf(drawAllSlots);
    scene.globeScale = 10;
    const std::vector<Call> scaled = recordOf(drawAllSlots);
    ASSERT_EQ(plain.size(), scaled.size());
    std::vector<double> changed;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(plain[i].fn, scaled[i].fn);
        ASSERT_TRUE(pointNear(scaled[i].eye, plain[i].eye, 0)) << i;
        for (int a = 0; a < plain[i].argCount; ++a) {
            if (plain[i].args[a] != scaled[i].args[a]) {
                ASSERT_TRUE(plain[i].fn == Fn::WireSphere && a == 0) << i;
                changed.push_back(plain[i].args[0]);
                EXPECT_DOUBLE_EQ(scaled[i].args[0], 10 * plain[i].args[0]);
            }
        }
    }
    std::vector<double> globes = {2439, 6052, 6378, 3397};
    for (double factor : {10.973, 9.14, 1.9905, 1.9325, 0.178}) {
        globes.push_back(static_cast<double>(factor * earthRadius));
    }
    EXPECT_EQ(changed, globes);
}

// Each used entry of a moon list: its 1000-segment ring of its orbit radius, and its globe of its
// radius (entry 0 times globeScale) at the end of its radius line, at its orbit angle. Mercury's
// second entry keeps the defaults: a zero-radius globe on a 100 km ring.
TEST_F(Bodies, EachUsedMoonEntryIsDrawnOnItsRingAtTheEndOfItsRadiusLine) {
    runSomeWeeks();
    scene.globeScale = 100;
    for (int k = 0; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        const std::vector<Call> calls = recordOf([k] { drawMoons(k); });
        const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
        const std::vector<Call> ends = radiusLineEnds(calls);
        const std::vector<Shape> shapes = shapesOf(calls);
        ASSERT_EQ(spheres.size(), static_cast<std::size_t>(scene.planets[k].count));
        ASSERT_EQ(ends.size(), spheres.size());
        for (std::size_t j = 0; j < spheres.size(); ++j) {
            const BodyRecord& m = scene.moons[k][j];
            const Shape& ring = shapes[2 * j];
            EXPECT_EQ(ring.vertices, 1000);
            EXPECT_NEAR(ringRadius(calls[ring.begin + 1]), m.orbitRadius, 1e-9);
            EXPECT_EQ(spheres[j].args[0], static_cast<double>(m.radius * (j == 0 ? 100 : 1)));
            EXPECT_TRUE(pointNear(spheres[j].eye, ends[j].eye, 1e-6));
            const long double a = m.orbitAngle * degToRad;
            EXPECT_NEAR(ends[j].args[0], m.orbitRadius * std::cos(a), 1e-6);
            EXPECT_NEAR(ends[j].args[2], -m.orbitRadius * std::sin(a), 1e-6);
        }
    }
}

// Unfollowed, each planet's translation is its position raised by its drift level; followed, it
// is zero. A node other than 0 exercises the position formula's general case too.
TEST_F(Bodies, FollowedPlanetTranslatesToTheOrigin) {
    runSomeWeeks();
    scene.planets[6].orbitNode = 40;
    for (int k = 1; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        scene.followOffset = Vec3{};
        const Vec3 pos = planetScenePosition(k);
        const std::vector<Call> unfollowed = recordOf([k] { translateToPlanet(k); });
        ASSERT_EQ(unfollowed.size(), 1u);
        EXPECT_TRUE(callIs(unfollowed[0], Fn::Translated,
                           {static_cast<double>(pos.x), static_cast<double>(pos.y),
                            static_cast<double>(pos.z + scene.levels[k].orbitRadius)}));
        EXPECT_GT(std::hypot(unfollowed[0].args[0], unfollowed[0].args[2]), 5e7);
        followPlanet(k);
        const Call followed = recordOf([k] { translateToPlanet(k); }).at(0);
        EXPECT_EQ(followed.args[0], 0.0);
        EXPECT_EQ(followed.args[1], 0.0);
        EXPECT_NEAR(followed.args[2], 0.0, 1e-6);
    }
}

// With every node 0, as in the table, the planet's white marker is exactly at the end of its
// orbit's radius line, and its green 5,000,000 km ring of 100 segments is centred on it.
TEST_F(Bodies, PlanetSitsAtTheEndOfItsOrbitsRadiusLine) {
    runSomeWeeks();
    for (int k = 1; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        const std::vector<Call> calls = recordOf([k] { drawPlanetSystem(k); });
        const Call marker = callsOf(calls, Fn::WireSphere).at(0);
        EXPECT_EQ(marker.args[0], 100.0);
        EXPECT_TRUE(isColor(marker.color, 1, 1, 1));
        const double scale = static_cast<double>(scene.planets[k].orbitRadius);
        EXPECT_TRUE(pointNear(marker.eye, radiusLineEnds(calls).at(0).eye, 1e-14 * scale));
        glrec::Point3 sum{0, 0, 0};
        int green = 0;
        for (const Call& call : calls) {
            if (call.fn == Fn::Vertex3d && isColor(call.color, 0.5, 1, 0.5)) {
                sum = {sum.x + call.eye.x, sum.y + call.eye.y, sum.z + call.eye.z};
                ++green;
                EXPECT_NEAR(ringRadius(call), 5e6, 1e-8);
            }
        }
        ASSERT_EQ(green, 100);
        EXPECT_TRUE(
            pointNear({sum.x / 100, sum.y / 100, sum.z / 100}, marker.eye, 1e-14 * scale + 1e-6));
    }
}

}  // namespace
