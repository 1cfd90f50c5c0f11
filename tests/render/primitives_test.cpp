// The six wireframe primitives: their exact GL calls, where their vertices and globes land, and
// what each leaves on the matrix stack. Cases start from a non-identity matrix so that a
// primitive that silently resets or leaks a transform shows up.
#include "render/primitives.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <vector>

#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Call;
using glrec::Fn;

constexpr double degree = 0.017453292519943295;

testing::AssertionResult matrixNear(const glrec::Mat4& actual, const glrec::Mat4& expected) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(actual[i] - expected[i]) <= 1e-15)) {
            return testing::AssertionFailure() << "matrix element " << i << " is " << actual[i];
        }
    }
    return testing::AssertionSuccess();
}

// The counts in use, and one that is not, which must give the same circle: vertex k at angle
// 2 pi k / n, so the first lies one step past angle 0 toward +z and the last closes the circle at
// (r, 0, 0). Drawn in place: no torus, no translation, the matrix untouched.
TEST(DrawRing, IsOneLineLoopOfNVerticesOnTheCircleInThePlaneYZero) {
    const long double r = 12345.678;
    const double tolerance = 1e-15 * static_cast<double>(r);
    for (int n : {20, 100, 360, 1000, 7}) {
        SCOPED_TRACE(n);
        const glrec::Mat4 before = startFromSomeFrame();
        drawRing(r, n);
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), static_cast<std::size_t>(n) + 2);
        EXPECT_TRUE(callIs(calls.front(), Fn::Begin, {GL_LINE_LOOP}));
        EXPECT_TRUE(callIs(calls.back(), Fn::End, {}));
        for (int k = 1; k <= n; ++k) {
            const Call& v = calls[k];
            ASSERT_EQ(v.fn, Fn::Vertex3d) << k;
            const long double phi = 2 * pi * k / n;
            EXPECT_NEAR(v.args[0], static_cast<double>(r * std::cos(phi)), tolerance) << k;
            EXPECT_EQ(v.args[1], 0.0) << k;
            EXPECT_NEAR(v.args[2], static_cast<double>(r * std::sin(phi)), tolerance) << k;
        }
        EXPECT_EQ(calls[n].args[0], static_cast<double>(r));
        EXPECT_EQ(glrec::counts().of(Fn::WireTorus) + glrec::counts().of(Fn::Translated), 0);
        EXPECT_TRUE(stackRestored(before));
    }
    for (const Call& v : callsOf(recordOf([] { drawRing(0, 360); }), Fn::Vertex3d)) {
        EXPECT_TRUE(callIs(v, Fn::Vertex3d, {0, 0, 0}));
    }
}

// A ring drawn again and again (as the orbits are, every frame) keeps giving the exact vertices
// of its own radius, also after a radius 10^-8 km away, which rounds to the same double, has been
// drawn as often in between.
TEST(DrawRing, RedrawnRingsKeepTheExactVerticesOfTheirOwnRadius) {
    const long double r = 149597870.0;
    const long double neighbour = r + 1e-8L;
    ASSERT_EQ(static_cast<double>(neighbour), static_cast<double>(r));
    for (const long double radius : {r, r, r, neighbour, neighbour, neighbour, r, neighbour}) {
        const std::vector<Call> vertices =
            callsOf(recordOf([radius] { drawRing(radius, 1000); }), Fn::Vertex3d);
        ASSERT_EQ(vertices.size(), 1000u);
        for (int k = 1; k <= 1000; ++k) {
            const long double phi = 2 * pi * k / 1000;
            ASSERT_EQ(vertices[k - 1].args[0], static_cast<double>(radius * std::cos(phi))) << k;
            ASSERT_EQ(vertices[k - 1].args[2], static_cast<double>(radius * std::sin(phi))) << k;
        }
    }
}

// The toolkit's sphere axis (its z) is turned onto the caller's y, and the rotation undone: no
// push, the matrix back up to rounding.
TEST(DrawGlobe, TurnsThePolesOntoYAndUndoesItsRotation) {
    const glrec::Mat4 before = startFromSomeFrame();
    drawGlobe(6052.5);
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(callIs(calls[0], Fn::Rotated, {90, 1, 0, 0}));
    EXPECT_TRUE(callIs(calls[1], Fn::WireSphere, {6052.5, 15, 15}));
    EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {90, -1, 0, 0}));
    EXPECT_TRUE(matrixNear(glrec::modelview(), before));
    EXPECT_EQ(glrec::modelviewDepth(), 1);
    const glrec::Point3 pole =
        glrec::transform(recordOf([] { drawGlobe(1); })[1].modelview, {0, 0, 1});
    EXPECT_TRUE(pointNear({pole.x, std::abs(pole.y), pole.z}, {0, 1, 0}, 1e-15));
}

// The globe's x axis is turned by the spin about y: angle 33.5 of the orbit convention.
TEST(DrawSpinningGlobe, TurnsBySpinInsideItsOwnPushAndPop) {
    const glrec::Mat4 before = startFromSomeFrame();
    drawSpinningGlobe(1135.25, 33.5);
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_TRUE(callIs(calls[0], Fn::PushMatrix, {}));
    EXPECT_TRUE(callIs(calls[1], Fn::Rotated, {33.5, 0, 1, 0}));
    EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {90, 1, 0, 0}));
    EXPECT_TRUE(callIs(calls[3], Fn::WireSphere, {1135.25, 15, 15}));
    EXPECT_TRUE(callIs(calls[4], Fn::PopMatrix, {}));
    EXPECT_TRUE(stackRestored(before));

    const glrec::Mat4 m = recordOf([] { drawSpinningGlobe(1, 33.5); })[3].modelview;
    const glrec::Point3 x = glrec::transform(m, {1, 0, 0});
    EXPECT_TRUE(pointNear(x, {std::cos(33.5 * degree), 0, -std::sin(33.5 * degree)}, 1e-15));
}

// The node - 90 angle for both outer rotations, left on the matrix with no push. The point at
// orbit angle node rises by r sin i, and the horizontal axis at node - 90 stays where it was.
TEST(TiltPlane, RaisesThePointAtTheNodeByRSinIAndLeavesTheTilt) {
    const double r = 1000;
    for (const auto& [nodeAngle, inclinationAngle] :
         {std::pair{0.0, 30.0}, {90, 10}, {200, -15}, {350, 99}, {45, 17.16}, {0, 0}}) {
        // Copies under plain names: Clang before 16 cannot capture structured bindings in a lambda.
        const double node = nodeAngle, inclination = inclinationAngle;
        SCOPED_TRACE(node);
        const std::vector<Call> calls = recordOf([&] { tiltPlane(node, inclination); });
        ASSERT_EQ(calls.size(), 3u);
        EXPECT_TRUE(callIs(calls[0], Fn::Rotated, {node - 90, 0, 1, 0}));
        EXPECT_TRUE(callIs(calls[1], Fn::Rotated, {inclination, 1, 0, 0}));
        EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {node - 90, 0, -1, 0}));
        const double n = node * degree;
        const glrec::Point3 atNode = glrec::toEye({r * std::cos(n), 0, -r * std::sin(n)});
        EXPECT_NEAR(atNode.y, r * std::sin(inclination * degree), 1e-9);
        const glrec::Point3 onAxis{r * std::sin(n), 0, r * std::cos(n)};
        EXPECT_TRUE(pointNear(glrec::toEye(onAxis), onAxis, 1e-9));
        EXPECT_EQ(glrec::modelviewDepth(), 1);
    }
}

// The 1000-segment ring and the radius line from the centre to the point at angle theta, in place;
// placeOnOrbit makes the same calls and then moves the origin to that point. Angle 0 is +x, angle
// 90 is -z.
TEST(DrawOrbit, ThousandSegmentRingAndRadiusLineAndPlaceOnOrbitMovesToItsEnd) {
    const long double r = 57895200;
    const double tolerance = 1e-15 * static_cast<double>(r);
    for (long double theta : std::initializer_list<long double>{0, 90, 37.25, 450, -30}) {
        for (const bool place : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << static_cast<double>(theta) << (place ? " placed" : ""));
            const glrec::Mat4 before = startFromSomeFrame();
            place ? placeOnOrbit(theta, r) : drawOrbit(theta, r);
            const std::vector<Call> calls = recorded();
            ASSERT_EQ(calls.size(), place ? 1007u : 1006u);
            EXPECT_TRUE(callIs(calls[0], Fn::Begin, {GL_LINE_LOOP}));
            EXPECT_EQ(callsOf(calls, Fn::Vertex3d).size(), 1002u);
            EXPECT_NEAR(ringRadius(calls[1]), static_cast<double>(r), tolerance);
            EXPECT_TRUE(callIs(calls[1001], Fn::End, {}));
            EXPECT_TRUE(callIs(calls[1002], Fn::Begin, {GL_LINES}));
            EXPECT_TRUE(callIs(calls[1003], Fn::Vertex3d, {0, 0, 0}));
            const Call& end = calls[1004];
            const long double rad = theta * degToRad;
            EXPECT_NEAR(end.args[0], static_cast<double>(r * std::cos(rad)), tolerance);
            EXPECT_EQ(end.args[1], 0.0);
            EXPECT_NEAR(end.args[2], static_cast<double>(-r * std::sin(rad)), tolerance);
            EXPECT_TRUE(callIs(calls[1005], Fn::End, {}));
            if (place) {
                EXPECT_TRUE(callIs(calls[1006], Fn::Translated, {end.args[0], 0, end.args[2]}));
                EXPECT_EQ(glrec::modelviewDepth(), 1);
            } else {
                EXPECT_TRUE(stackRestored(before));
            }
        }
    }
    glrec::reset();
    placeOnOrbit(0, r);
    EXPECT_TRUE(pointNear(glrec::toEye({0, 0, 0}), {static_cast<double>(r), 0, 0}, 0));
    glrec::reset();
    placeOnOrbit(90, r);
    EXPECT_TRUE(pointNear(glrec::toEye({0, 0, 0}), {0, 0, -static_cast<double>(r)}, tolerance));
}

}  // namespace
