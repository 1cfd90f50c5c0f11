// The look-at point: walking across and along the normal of the reference plane, its limits, and
// riding along with a followed planet through real frames and idle ticks.
#include "camera/navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "app/callbacks.h"
#include "camera/input.h"
#include "camera/view.h"
#include "model/body_position.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"

namespace {

// A tenth of the start distance.
constexpr long double startStep = 1414213.562373095;
constexpr long double slot9Tilt = 17.16;

class CameraNavigation : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScene();
        initScene();
    }
};

template <class Action>
std::string printed(Action action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

// Presses the keys in order; returns what they printed.
std::string press(std::string_view keys) {
    return printed([keys] {
        for (const char key : keys) {
            onKeyboard(static_cast<unsigned char>(key), 0, 0);
        }
    });
}

void drawFrame() {
    glrec::clearRecords();
    displayFrame();
    ASSERT_TRUE(glrec::ok()) << glrec::errorSummary();
    ASSERT_EQ(glrec::modelviewDepth(), 1);
}

void tick(std::int32_t ms) {
    testClockMs += ms;
    onIdle();
}

void expectVec(const Vec3& v, long double x, long double y, long double z, long double tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

void expectSameVec(const Vec3& a, const Vec3& b) {
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
}

// Where the frame puts the look-at point while slot k is followed.
Vec3 planetPoint(int k) {
    Vec3 p = planetScenePosition(k);
    p.z = p.z + scene.levels[k].orbitRadius;
    return p;
}

long double length(const Vec3& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

Vec3 minus(const Vec3& a, const Vec3& b) {
    return Vec3{a.x - b.x, a.y - b.y, a.z - b.z};
}

// From the start the view looks toward -z: forward is -z, left -x, back +z and right +x, in steps
// of a tenth of the distance. The eye's offset does not change.
TEST_F(CameraNavigation, KeypadKeysWalkOnTheEarthsFlatPlane) {
    const Vec3 eye = scene.eye;
    EXPECT_EQ(press("8"), "key pressed = 56\n");
    expectVec(scene.followOffset, 0, 0, -startStep, 1e-6);
    EXPECT_EQ(scene.followOffset.y, 0);
    expectSameVec(scene.eye, eye);
    EXPECT_NEAR(scene.viewDistance, 10 * startStep, 1e-6);
    press("4");
    expectVec(scene.followOffset, -startStep, 0, -startStep, 1e-6);
    press("22");
    expectVec(scene.followOffset, -startStep, 0, startStep, 1e-6);
    press("6");
    expectVec(scene.followOffset, 0, 0, startStep, 1e-6);
    EXPECT_EQ(press("9"), "key pressed = 57\nPlanet Horiz deg = 0.000000\n");
    expectVec(scene.followOffset, 0, startStep, startStep, 1e-6);
    EXPECT_EQ(press("3"), "key pressed = 51\nPlanet Horiz deg = 0.000000\n");
    expectVec(scene.followOffset, 0, 0, startStep, 1e-6);
}

// Whatever the view direction and the walking plane, a step turns the view direction by the
// heading and has length 0.1 x viewDistance in all.
TEST_F(CameraNavigation, StepIsATenthOfTheDistanceAndTurnedByTheHeading) {
    press("(");  // slot 9: the steepest walking plane
    press("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa");  // to -36
    press("www");
    ASSERT_EQ(scene.refTilt, slot9Tilt);
    ASSERT_EQ(scene.viewDirHoriz, -36);
    for (const long double heading : {0.0, 90.0, 180.0, -90.0, 37.0}) {
        SCOPED_TRACE(static_cast<double>(heading));
        const Vec3 before = scene.followOffset;
        moveOnPlane(heading);
        const Vec3 step = minus(scene.followOffset, before);
        EXPECT_NEAR(length(step), 0.1 * scene.viewDistance, 1e-6);
        // Horizontal part: the direction toward the look-at point turned by the heading.
        const long double view = std::atan2(-scene.eye.z, -scene.eye.x);
        const long double moved = std::atan2(step.z, step.x);
        EXPECT_NEAR(std::remainder(moved - view + heading * degToRad, 2 * pi), 0, 1e-12);
        // The elevation follows the plane: 17.16 x the cosine of the step's orbit angle less
        // refHoriz (-90), so the plane rises toward the orbit angle -90.
        const long double stepAngle = std::atan2(-step.z, step.x) / degToRad;
        const long double elevation = std::atan2(step.y, std::hypot(step.x, step.z)) / degToRad;
        EXPECT_NEAR(elevation, slot9Tilt * std::cos((stepAngle + 90) * degToRad), 1e-9);
    }
}

TEST_F(CameraNavigation, SlotNinesPlaneTiltsTheStepsAndTheNormal) {
    EXPECT_EQ(press("(8"), "key pressed = 40\nkey pressed = 56\n");
    EXPECT_EQ(scene.referenceBody, 9);
    EXPECT_EQ(scene.refHoriz, -90);
    // Forward at viewDirHoriz 90: e = 17.16 x cos 180 = -17.16, the step descends.
    const long double e = slot9Tilt * degToRad;
    expectVec(scene.followOffset, 0, -startStep * std::sin(e), -startStep * std::cos(e), 1e-6);

    const Vec3 before = scene.followOffset;
    EXPECT_EQ(press("9"), "key pressed = 57\nPlanet Horiz deg = 0.000000\n");
    const Vec3 up = minus(scene.followOffset, before);
    expectVec(up, 0, startStep * std::cos(e), -startStep * std::sin(e), 1e-6);

    // Backward the plane rises: a = 270, e = 17.16 x cos 360.
    const Vec3 start = scene.followOffset;
    press("2");
    const Vec3 back = minus(scene.followOffset, start);
    expectVec(back, 0, startStep * std::sin(e), startStep * std::cos(e), 1e-6);
}

TEST_F(CameraNavigation, MoveOnPlaneIsLimitedOnXAndZOnly) {
    // +x (right, -90): just past the limit is refused and nothing changes.
    scene.followOffset = Vec3{distanceLimit - 1414213, 5, 7};
    const Vec3 eye = scene.eye;
    const Vec3 zoomStep = scene.zoomStep;
    const long double distance = scene.viewDistance;
    moveOnPlane(-90);
    expectSameVec(scene.followOffset, Vec3{distanceLimit - 1414213, 5, 7});
    expectSameVec(scene.eye, eye);
    expectSameVec(scene.zoomStep, zoomStep);
    EXPECT_EQ(scene.viewDistance, distance);
    // Just short of it is allowed.
    scene.followOffset.x = distanceLimit - 1414214;
    moveOnPlane(-90);
    EXPECT_NEAR(scene.followOffset.x, distanceLimit - 0.437626905, 1e-5);
    EXPECT_LT(scene.followOffset.x, distanceLimit);

    // -x (left), +z (back) and -z (forward) likewise.
    scene.followOffset = Vec3{-distanceLimit + 1414213, 0, 0};
    moveOnPlane(90);
    EXPECT_EQ(scene.followOffset.x, -distanceLimit + 1414213);
    scene.followOffset = Vec3{0, 0, distanceLimit - 1414213};
    moveOnPlane(180);
    EXPECT_EQ(scene.followOffset.z, distanceLimit - 1414213);
    scene.followOffset = Vec3{0, 0, -distanceLimit + 1414213};
    moveOnPlane(0);
    EXPECT_EQ(scene.followOffset.z, -distanceLimit + 1414213);
    // Moving away from the limit is fine.
    moveOnPlane(180);
    EXPECT_NEAR(scene.followOffset.z, -distanceLimit + 1414213 + startStep, 1e-5);

    // y is not tested: a descending step on slot 9's plane passes -distanceLimit.
    press("(");
    press("q");  // any key takes the plane of the viewed slot
    scene.followOffset = Vec3{0, -distanceLimit + 1, 0};
    moveOnPlane(0);
    EXPECT_LT(scene.followOffset.y, -distanceLimit);
}

TEST_F(CameraNavigation, MoveAlongNormalTestsOnlyYWithItsRoughProbe) {
    // x and z are not tested.
    scene.followOffset = Vec3{2 * distanceLimit, 0, -2 * distanceLimit};
    EXPECT_EQ(printed([] { moveAlongNormal(1); }), "Planet Horiz deg = 0.000000\n");
    EXPECT_NEAR(scene.followOffset.y, startStep, 1e-6);

    // The probe is a tenth of |followOffset.y - eye.y|, about 9.2e11 here: it refuses a step up
    // of 1.4e6 km that would have stayed inside the limit, and the line is printed anyway.
    const Vec3 high{0, distanceLimit - 2000000, 0};
    scene.followOffset = high;
    const Vec3 eye = scene.eye;
    const long double distance = scene.viewDistance;
    EXPECT_EQ(printed([] { moveAlongNormal(1); }), "Planet Horiz deg = 0.000000\n");
    expectSameVec(scene.followOffset, high);
    expectSameVec(scene.eye, eye);
    EXPECT_EQ(scene.viewDistance, distance);
    // Downward the probe stays inside, and the real step is made.
    printed([] { moveAlongNormal(-1); });
    EXPECT_NEAR(scene.followOffset.y, distanceLimit - 2000000 - startStep, 1e-3);

    // The same at the bottom, where the look-at point lies below the eye's offset.
    const Vec3 low{0, -distanceLimit + 2000000, 0};
    scene.followOffset = low;
    printed([] { moveAlongNormal(-1); });
    expectSameVec(scene.followOffset, low);
    printed([] { moveAlongNormal(1); });
    EXPECT_NEAR(scene.followOffset.y, -distanceLimit + 2000000 + startStep, 1e-3);

    // With the look-at height equal to the eye's offset the probe is 0, so a huge step passes.
    scene.eye = Vec3{0, distanceLimit - 1000000, 1};
    updateViewDistance();
    scene.followOffset = Vec3{0, distanceLimit - 1000000, 0};
    printed([] { moveAlongNormal(1); });
    EXPECT_GT(scene.followOffset.y, distanceLimit);
}

TEST_F(CameraNavigation, PlanetHorizLineNamesTheReferenceBodysNode) {
    scene.planets[3].orbitNode = 12.5;
    scene.planets[9].orbitNode = -7.25;
    // Nothing viewed: slot 3.
    EXPECT_EQ(press("9"), "key pressed = 57\nPlanet Horiz deg = 12.500000\n");
    // The slot the last updateReference used, not the viewBody set since.
    scene.viewBody = 9;
    EXPECT_EQ(printed([] { moveAlongNormal(-1); }), "Planet Horiz deg = 12.500000\n");
    EXPECT_EQ(press("3"), "key pressed = 51\nPlanet Horiz deg = -7.250000\n");
    // Printed even when the move is refused.
    scene.followOffset.y = distanceLimit;
    const Vec3 before = scene.followOffset;
    EXPECT_EQ(printed([] { moveAlongNormal(1); }), "Planet Horiz deg = -7.250000\n");
    expectSameVec(scene.followOffset, before);
}

TEST_F(CameraNavigation, FollowingTheSunPutsTheLookAtPointAtItsCentre) {
    press("84");
    ASSERT_NE(scene.followOffset.x, 0);
    EXPECT_EQ(press(")"), "key pressed = 41\n");
    EXPECT_EQ(scene.followBody, 0);
    EXPECT_EQ(scene.viewBody, 0);
    drawFrame();
    expectSameVec(scene.followOffset, Vec3{0, 0, 0});
    press("\b");
    EXPECT_EQ(scene.followBody, -1);
    tick(5000);
    drawFrame();
    expectSameVec(scene.followOffset, Vec3{0, 0, 0});
}

TEST_F(CameraNavigation, StoppingAFollowKeepsThePointOfTheLastFrame) {
    press("]]]]]]]]");  // 1e8: the Earth moves about 1.1 degrees a second
    press("#");
    drawFrame();
    expectSameVec(scene.followOffset, planetPoint(3));
    EXPECT_NEAR(scene.followOffset.x, astronomicalUnit, 1e-3);

    tick(1000);
    // The offset changes only at a frame.
    EXPECT_NE(planetPoint(3).z, scene.followOffset.z);
    drawFrame();
    const Vec3 lastFrame = scene.followOffset;
    expectSameVec(lastFrame, planetPoint(3));

    tick(1000);
    press("\b");
    EXPECT_EQ(scene.followBody, -1);
    EXPECT_EQ(scene.viewBody, 3);
    tick(1000);
    drawFrame();
    expectSameVec(scene.followOffset, lastFrame);
    // The planet has moved on without the camera.
    EXPECT_GT(length(minus(planetPoint(3), lastFrame)), 1000000);
}

TEST_F(CameraNavigation, WalkingWhileFollowingLastsOnlyUntilTheNextFrame) {
    press("$");  // Mars
    drawFrame();
    const Vec3 mars = scene.followOffset;
    expectSameVec(mars, planetPoint(4));

    press("8");
    EXPECT_NEAR(scene.followOffset.z, mars.z - startStep, 1e-3);
    press("9");
    drawFrame();
    expectSameVec(scene.followOffset, mars);

    // Zoom and orbit still last.
    press("+a");
    drawFrame();
    expectSameVec(scene.followOffset, mars);
    EXPECT_NEAR(scene.viewDistance, 9 * startStep, 1e-6);
    EXPECT_EQ(scene.viewDirHoriz, 88);
}

}  // namespace
