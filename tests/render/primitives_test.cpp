// The six wireframe primitives: their exact GL calls, where their vertices and globes land, and
// what each leaves on the matrix stack. Every case starts from a non-identity matrix so that a
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

// Every element within tolerance.
testing::AssertionResult matrixNear(const glrec::Mat4& actual, const glrec::Mat4& expected,
                                    double tolerance) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance)) {
            return testing::AssertionFailure()
                   << "matrix element " << i << " is " << actual[i] << ", expected " << expected[i];
        }
    }
    return testing::AssertionSuccess();
}

glrec::Point3 minus(glrec::Point3 a, glrec::Point3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

TEST(DrawRing, IsOneLineLoopOfNVerticesOnTheCircleInThePlaneYZero) {
    const long double r = 12345.678;
    const double tolerance = 1e-15 * static_cast<double>(r);
    // The counts in use, and one that is not, which must give the same circle.
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
            EXPECT_NEAR(ringRadius(v), static_cast<double>(r), tolerance);
        }
        // First vertex one step past angle 0, towards +z; the last closes the circle at (r, 0, 0).
        EXPECT_NEAR(calls[1].args[0], static_cast<double>(r * std::cos(2 * pi / n)), tolerance);
        EXPECT_GT(calls[1].args[2], 0.0);
        EXPECT_EQ(calls[n].args[0], static_cast<double>(r));
        EXPECT_NEAR(calls[n].args[2], 0.0, tolerance);
        // Drawn in place: no torus, no translation, the matrix untouched.
        EXPECT_EQ(glrec::counts().of(Fn::WireTorus), 0);
        EXPECT_EQ(glrec::counts().of(Fn::Translated), 0);
        EXPECT_TRUE(stackRestored(before));
    }
}

TEST(DrawRing, ZeroRadiusCollapsesToThePointAtTheOrigin) {
    glrec::reset();
    drawRing(0, 360);
    ASSERT_EQ(glrec::counts().vertices, 360);
    for (const Call& v : glrec::records()) {
        if (v.fn == Fn::Vertex3d) {
            EXPECT_EQ(v.args[0], 0.0);
            EXPECT_EQ(v.args[1], 0.0);
            EXPECT_EQ(v.args[2], 0.0);
        }
    }
}

TEST(DrawGlobe, TurnsThePolesOntoYAndUndoesItsRotation) {
    const glrec::Mat4 before = startFromSomeFrame();
    drawGlobe(6052.5);
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(callIs(calls[0], Fn::Rotated, {90, 1, 0, 0}));
    EXPECT_TRUE(callIs(calls[1], Fn::WireSphere, {6052.5, 15, 15}));
    EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {90, -1, 0, 0}));
    // The toolkit's sphere axis (its z) points along the caller's y.
    glrec::reset();
    drawGlobe(1);
    const glrec::Mat4 atSphere = glrec::records()[1].modelview;
    const glrec::Point3 pole = glrec::transform(atSphere, {0, 0, 1});
    EXPECT_NEAR(pole.x, 0, 1e-15);
    EXPECT_NEAR(std::abs(pole.y), 1, 1e-15);
    EXPECT_NEAR(pole.z, 0, 1e-15);
    // Two opposite rotations: no push, the matrix back up to rounding.
    startFromSomeFrame();
    drawGlobe(6052.5);
    EXPECT_TRUE(matrixNear(glrec::modelview(), before, 1e-15));
    EXPECT_EQ(glrec::modelviewDepth(), 1);
}

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
    EXPECT_TRUE(stackRestored(before));  // exactly, thanks to the pop
    EXPECT_EQ(glrec::counts().maxModelviewDepth, 2);

    // The globe's x axis is turned by the spin about y: angle 33.5 of the orbit convention.
    glrec::reset();
    drawSpinningGlobe(1, 33.5);
    const glrec::Mat4& m = glrec::records()[3].modelview;
    const glrec::Point3 axis =
        minus(glrec::transform(m, {1, 0, 0}), glrec::transform(m, {0, 0, 0}));
    const double spin = 33.5 * 0.017453292519943295;
    EXPECT_TRUE(pointNear(axis, {std::cos(spin), 0, -std::sin(spin)}, 1e-15));
}

TEST(TiltPlane, ZeroTiltStillIssuesItsThreeRotations) {
    glrec::reset();
    tiltPlane(0, 0);
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(callIs(calls[0], Fn::Rotated, {-90, 0, 1, 0}));
    EXPECT_TRUE(callIs(calls[1], Fn::Rotated, {0, 1, 0, 0}));
    EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {-90, 0, -1, 0}));
    EXPECT_TRUE(matrixNear(glrec::modelview(), identityMatrix, 1e-15));
}

TEST(TiltPlane, RaisesThePointAtTheNodeByRSinIAndLeavesTheTilt) {
    const long double r = 1000;
    const double degree = 0.017453292519943295;
    struct Case {
        long double node;
        long double inclination;
    };
    for (Case c : {Case{0, 30}, Case{90, 10}, Case{200, -15}, Case{350, 99}, Case{45, 17.16}}) {
        SCOPED_TRACE(static_cast<double>(c.node));
        glrec::reset();
        tiltPlane(c.node, c.inclination);
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), 3u);
        // The node - 90 angle is used for both outer rotations.
        EXPECT_TRUE(callIs(calls[0], Fn::Rotated, {static_cast<double>(c.node - 90), 0, 1, 0}));
        EXPECT_TRUE(callIs(calls[1], Fn::Rotated, {static_cast<double>(c.inclination), 1, 0, 0}));
        EXPECT_TRUE(callIs(calls[2], Fn::Rotated, {static_cast<double>(c.node - 90), 0, -1, 0}));

        const double node = static_cast<double>(c.node) * degree;
        const double rr = static_cast<double>(r);
        const glrec::Point3 atNode = glrec::toEye({rr * std::cos(node), 0, -rr * std::sin(node)});
        EXPECT_NEAR(atNode.y, rr * std::sin(static_cast<double>(c.inclination) * degree), 1e-9);
        // The horizontal axis at orbit angle node - 90 stays where it was.
        const double axis = node - 90 * degree;
        const glrec::Point3 onAxis{rr * std::cos(axis), 0, -rr * std::sin(axis)};
        EXPECT_TRUE(pointNear(glrec::toEye(onAxis), onAxis, 1e-9));
        // Left on the matrix, with no push.
        EXPECT_EQ(glrec::modelviewDepth(), 1);
    }
}

// The calls drawOrbit makes; placeOnOrbit makes the same and then one translation.
void expectOrbitCalls(const std::vector<Call>& calls, long double theta, long double r) {
    ASSERT_GE(calls.size(), 1006u);
    EXPECT_TRUE(callIs(calls[0], Fn::Begin, {GL_LINE_LOOP}));
    for (int k = 1; k <= 1000; ++k) {
        ASSERT_EQ(calls[k].fn, Fn::Vertex3d);
    }
    EXPECT_NEAR(ringRadius(calls[1]), static_cast<double>(r), 1e-15 * static_cast<double>(r));
    EXPECT_TRUE(callIs(calls[1001], Fn::End, {}));
    EXPECT_TRUE(callIs(calls[1002], Fn::Begin, {GL_LINES}));
    EXPECT_TRUE(callIs(calls[1003], Fn::Vertex3d, {0, 0, 0}));
    const Call& end = calls[1004];
    ASSERT_EQ(end.fn, Fn::Vertex3d);
    const long double rad = theta * degToRad;
    const double tolerance = 1e-15 * static_cast<double>(r);
    EXPECT_NEAR(end.args[0], static_cast<double>(r * std::cos(rad)), tolerance);
    EXPECT_EQ(end.args[1], 0.0);
    EXPECT_NEAR(end.args[2], static_cast<double>(-r * std::sin(rad)), tolerance);
    EXPECT_TRUE(callIs(calls[1005], Fn::End, {}));
}

TEST(DrawOrbit, ThousandSegmentRingAndRadiusLineWithoutTransform) {
    const long double r = 57895200;
    for (long double theta : std::initializer_list<long double>{0, 90, 37.25, 450, -30}) {
        SCOPED_TRACE(static_cast<double>(theta));
        const glrec::Mat4 before = startFromSomeFrame();
        drawOrbit(theta, r);
        const std::vector<Call> calls = recorded();
        EXPECT_EQ(calls.size(), 1006u);
        expectOrbitCalls(calls, theta, r);
        EXPECT_TRUE(stackRestored(before));
    }
}

TEST(PlaceOnOrbit, MovesTheOriginToTheEndOfTheRadiusLine) {
    const long double r = 379600;
    for (long double theta : std::initializer_list<long double>{0, 90, 37.25, 450, -30}) {
        SCOPED_TRACE(static_cast<double>(theta));
        startFromSomeFrame();
        placeOnOrbit(theta, r);
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), 1007u);
        expectOrbitCalls(calls, theta, r);
        const Call& end = calls[1004];
        EXPECT_TRUE(callIs(calls[1006], Fn::Translated, {end.args[0], 0, end.args[2]}));
        EXPECT_TRUE(pointNear(glrec::toEye({0, 0, 0}), end.eye, 1e-9));
        EXPECT_EQ(glrec::modelviewDepth(), 1);
    }
    // Angle 0 is +x, angle 90 is -z.
    glrec::reset();
    placeOnOrbit(0, r);
    const glrec::Point3 at0 = glrec::toEye({0, 0, 0});
    EXPECT_EQ(at0.x, static_cast<double>(r));
    EXPECT_EQ(at0.y, 0.0);
    EXPECT_EQ(at0.z, 0.0);
    glrec::reset();
    placeOnOrbit(90, r);
    const glrec::Point3 at90 = glrec::toEye({0, 0, 0});
    EXPECT_NEAR(at90.x, 0, 1e-9);
    EXPECT_EQ(at90.y, 0.0);
    EXPECT_EQ(at90.z, -static_cast<double>(r));
}

}  // namespace
