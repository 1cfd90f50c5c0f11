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
        if (shape.mode == GL_LINES && shape.begin + 2 < calls.size()) {
            ends.push_back(calls[shape.begin + 2]);
        }
    }
    return ends;
}

TEST_F(Bodies, LightShellsOldestFirstAtTheirDriftWithACentreRing) {
    // Shell 0 retired; 1 to 3 live, older ones larger and further along +z.
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
    EXPECT_EQ(calls.front().fn, Fn::Color3f);
    EXPECT_TRUE(isColor(calls.front().color, 1, 1, 0));
    for (int shell = 1; shell <= 3; ++shell) {
        SCOPED_TRACE(shell);
        const std::size_t at = 1 + (shell - 1) * perShell;
        const double drift = static_cast<double>(scene.lightShells[shell].drift);
        EXPECT_EQ(calls[at].fn, Fn::PushMatrix);
        ASSERT_TRUE(callIs(calls[at + 1], Fn::Translated, {0, 0, drift}));
        // The shell's ring, then the 10,000 km centre ring, both 360 segments, yellow.
        const long double ringRadius[2] = {radii[shell], 10000};
        for (int ring = 0; ring < 2; ++ring) {
            const std::size_t begin = at + 2 + ring * 362;
            ASSERT_EQ(calls[begin].fn, Fn::Begin);
            EXPECT_EQ(calls[begin + 361].fn, Fn::End);
            const Call& last = calls[begin + 360];  // the vertex at angle 2 pi: (r, 0, 0)
            ASSERT_EQ(last.fn, Fn::Vertex3d);
            EXPECT_EQ(last.args[0], static_cast<double>(ringRadius[ring]));
            EXPECT_TRUE(isColor(last.color, 1, 1, 0));
            const glrec::Point3 expected = glrec::transform(before, {last.args[0], 0, drift});
            EXPECT_NEAR(last.eye.x, expected.x, 1e-6);
            EXPECT_NEAR(last.eye.z, expected.z, 1e-6);
        }
        EXPECT_EQ(calls[at + perShell - 1].fn, Fn::PopMatrix);
    }
    EXPECT_EQ(calls.back().fn, Fn::Color3f);
    EXPECT_TRUE(isColor(calls.back().color, 1, 1, 1));
    EXPECT_TRUE(stackRestored(before));
}

TEST_F(Bodies, NoLiveShellStillSetsYellowThenWhite) {
    for (int count : {0, 100}) {
        scene.shellCount = count;
        scene.firstLiveShell = count;
        glrec::reset();
        drawLightShells();
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), 2u);
        EXPECT_TRUE(isColor(calls[0].color, 1, 1, 0));
        EXPECT_TRUE(isColor(calls[1].color, 1, 1, 1));
    }
}

TEST_F(Bodies, ShellsAreDrawnAtTheSunBeforeItsRotations) {
    runSomeWeeks();
    const glrec::Mat4 before = startFromSomeFrame();
    drawStar(0);
    const std::vector<Call> calls = recorded();
    ASSERT_GE(scene.shellCount - scene.firstLiveShell, 1);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_TRUE(isColor(calls[0].color, 1, 1, 0));
    EXPECT_EQ(calls[1].fn, Fn::PushMatrix);
    ASSERT_EQ(calls[2].fn, Fn::Translated);
    EXPECT_EQ(calls[2].modelview, before);
    EXPECT_EQ(calls[2].args[2], static_cast<double>(scene.lightShells[scene.firstLiveShell].drift));
    // The star itself: the Sun's 696,000 km globe, in yellow, and white restored at the end.
    const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
    ASSERT_EQ(spheres.size(), 1u);
    EXPECT_EQ(spheres[0].args[0], 696000.0);
    EXPECT_TRUE(isColor(spheres[0].color, 1, 1, 0));
    EXPECT_TRUE(isColor(calls.back().color, 1, 1, 1));
}

TEST_F(Bodies, EveryDrawingStepPopsWhatItPushes) {
    runSomeWeeks();
    scene.followBody = 5;
    followPlanet(5);
    std::vector<std::function<void()>> all = {[] { drawAllSlots(); }, [] { drawLightShells(); }};
    for (int k = 0; k < scene.slotCount; ++k) {
        all.push_back([k] { drawSlot(k); });
        all.push_back([k] { drawPlanetSystem(k); });
        all.push_back([k] { drawMoons(k); });
    }
    for (std::size_t s = 0; s < all.size(); ++s) {
        SCOPED_TRACE(s);
        const glrec::Mat4 before = startFromSomeFrame();
        all[s]();
        EXPECT_EQ(glrec::counts().of(Fn::PushMatrix), glrec::counts().of(Fn::PopMatrix));
        EXPECT_TRUE(stackRestored(before));
        EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
    }
}

// Entry-0 globe radii of the start-up table, slots 1 to 9 (the Sun's list is empty).
std::vector<double> planetGlobeRadii() {
    std::vector<double> radii = {2439, 6052, 6378, 3397};
    for (double factor : {10.973, 9.14, 1.9905, 1.9325, 0.178}) {
        radii.push_back(static_cast<double>(factor * earthRadius));
    }
    return radii;
}

TEST_F(Bodies, EverySlotMarksItsDriftLevelWithAGlobeAndATenThousandKilometreRing) {
    for (int k = 0; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        glrec::reset();
        drawSlot(k);
        const std::vector<Call> calls = recorded();
        // Marker globe first, then a white 360-segment ring of 10,000 km about the level origin.
        const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
        ASSERT_FALSE(spheres.empty());
        EXPECT_EQ(spheres[0].args[0], 100.0);
        const std::vector<Shape> shapes = shapesOf(calls);
        ASSERT_FALSE(shapes.empty());
        EXPECT_EQ(shapes[0].mode, GL_LINE_LOOP);
        EXPECT_EQ(shapes[0].vertices, 360);
        EXPECT_TRUE(isColor(shapes[0].color, 1, 1, 1));
        const Call& vertex = calls[shapes[0].begin + 1];
        EXPECT_DOUBLE_EQ(ringRadius(vertex), 10000.0);
        const double level = static_cast<double>(scene.levels[k].orbitRadius);
        EXPECT_NEAR(vertex.eye.z - vertex.args[2], level, 1e-6);
    }
}

TEST_F(Bodies, GlobeScaleEnlargesOnlyEachPlanetsOwnGlobe) {
    runSomeWeeks();
    glrec::reset();
    drawAllSlots();
    const std::vector<Call> plain = recorded();
    scene.globeScale = 10;
    glrec::reset();
    drawAllSlots();
    const std::vector<Call> scaled = recorded();
    const std::vector<Call> a = callsOf(plain, Fn::WireSphere);
    const std::vector<Call> b = callsOf(scaled, Fn::WireSphere);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(plain.size(), scaled.size());
    std::vector<double> changed;
    for (std::size_t i = 0; i < a.size(); ++i) {
        // Same place; only the radius may differ.
        EXPECT_TRUE(pointNear(b[i].eye, a[i].eye, 0)) << "sphere " << i;
        if (a[i].args[0] != b[i].args[0]) {
            changed.push_back(a[i].args[0]);
            EXPECT_DOUBLE_EQ(b[i].args[0], 10 * a[i].args[0]);
        }
    }
    EXPECT_EQ(changed, planetGlobeRadii());
    // Every ring and line is untouched.
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (plain[i].fn == Fn::Vertex3d || plain[i].fn == Fn::Vertex2d) {
            ASSERT_EQ(plain[i].args[0], scaled[i].args[0]) << i;
            ASSERT_EQ(plain[i].args[2], scaled[i].args[2]) << i;
        }
    }
}

TEST_F(Bodies, MercurysZeroRadiusSecondEntryIsDrawnOnAHundredKilometreRing) {
    drawMoons(1);
    const std::vector<Call> calls = recorded();
    const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
    ASSERT_EQ(spheres.size(), 2u);
    EXPECT_EQ(spheres[0].args[0], 2439.0);
    EXPECT_EQ(spheres[1].args[0], 0.0);
    // Each entry has its 1000-segment ring: Mercury's globe on radius 0, the second on 100 km.
    std::vector<double> ringRadii;
    for (const Shape& shape : shapesOf(calls)) {
        if (shape.mode == GL_LINE_LOOP) {
            ringRadii.push_back(ringRadius(calls[shape.begin + 1]));
        }
    }
    ASSERT_EQ(ringRadii.size(), 2u);
    EXPECT_EQ(ringRadii[0], 0.0);
    EXPECT_NEAR(ringRadii[1], 100, 1e-12);
    EXPECT_EQ(glrec::counts().vertices, 2 * 1000 + 2 * 2);
    // The zero-radius globe sits at the end of its radius line, 100 km out.
    const std::vector<Call> lineEnds = radiusLineEnds(calls);
    ASSERT_EQ(lineEnds.size(), 2u);
    EXPECT_TRUE(pointNear(spheres[1].eye, lineEnds[1].eye, 1e-12));
    EXPECT_NEAR(std::hypot(spheres[1].eye.x, spheres[1].eye.y, spheres[1].eye.z), 100, 1e-12);
}

TEST_F(Bodies, MoonListLengthFollowsThePlanetsCount) {
    struct Case {
        const char* what;
        int slot;
        int entries;  // globes and radius lines drawn
    };
    const Case cases[] = {{"the Sun's list: count 0", 0, 0},
                          {"Venus: its globe only", 2, 1},
                          {"Mars, Phobos, Deimos", 4, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        glrec::reset();
        drawMoons(c.slot);
        EXPECT_EQ(glrec::counts().of(Fn::WireSphere), c.entries);
        EXPECT_EQ(glrec::counts().primitives[GL_LINES], c.entries);
        EXPECT_EQ(glrec::records().empty(), c.entries == 0);
    }
}

TEST_F(Bodies, FollowedPlanetTranslatesToTheOrigin) {
    runSomeWeeks();
    // A node other than 0 exercises the formula's general case too.
    scene.planets[6].orbitNode = 40;
    for (int k = 1; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        scene.followOffset = Vec3{};
        glrec::reset();
        translateToPlanet(k);
        const Vec3 pos = planetScenePosition(k);
        const long double h = scene.levels[k].orbitRadius;
        ASSERT_EQ(glrec::records().size(), 1u);
        const Call unfollowed = glrec::records()[0];
        EXPECT_TRUE(callIs(unfollowed, Fn::Translated,
                           {static_cast<double>(pos.x), static_cast<double>(pos.y),
                            static_cast<double>(pos.z + h)}));
        EXPECT_GT(std::hypot(unfollowed.args[0], unfollowed.args[2]), 5e7);

        followPlanet(k);
        glrec::reset();
        translateToPlanet(k);
        const Call followed = glrec::records()[0];
        EXPECT_EQ(followed.fn, Fn::Translated);
        EXPECT_EQ(followed.args[0], 0.0);
        EXPECT_EQ(followed.args[1], 0.0);
        EXPECT_NEAR(followed.args[2], 0.0, 1e-6);
    }
}

// With every node 0, as in the table, the planet is drawn exactly at the end of its radius line.
TEST_F(Bodies, PlanetSitsAtTheEndOfItsOrbitsRadiusLine) {
    runSomeWeeks();
    for (int k = 1; k < scene.slotCount; ++k) {
        SCOPED_TRACE(k);
        glrec::reset();
        drawPlanetSystem(k);
        const std::vector<Call> calls = recorded();
        const std::vector<Call> lineEnds = radiusLineEnds(calls);
        const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
        ASSERT_GE(lineEnds.size(), 1u);
        ASSERT_GE(spheres.size(), 1u);
        const Call& marker = spheres[0];
        EXPECT_EQ(marker.args[0], 100.0);  // the planet's marker
        const double scale = static_cast<double>(scene.planets[k].orbitRadius);
        EXPECT_TRUE(pointNear(marker.eye, lineEnds[0].eye, 1e-14 * scale));
        // The green 5,000,000 km ring of 100 segments is centred on the planet.
        double sumX = 0;
        double sumY = 0;
        double sumZ = 0;
        int green = 0;
        for (const Call& call : calls) {
            if (call.fn == Fn::Vertex3d && isColor(call.color, 0.5, 1, 0.5)) {
                sumX += call.eye.x;
                sumY += call.eye.y;
                sumZ += call.eye.z;
                ++green;
                EXPECT_NEAR(std::hypot(call.args[0], call.args[2]), 5e6, 1e-8);
            }
        }
        ASSERT_EQ(green, 100);
        EXPECT_TRUE(pointNear({sumX / green, sumY / green, sumZ / green}, marker.eye,
                              1e-14 * scale + 1e-6));
        EXPECT_TRUE(isColor(marker.color, 1, 1, 1));
    }
}

}  // namespace
