// The camera's orbit and zoom about the look-at point, and the two grids that follow the zoom.
// Every test starts from the start-up scene.
#include "camera/view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "camera/input.h"
#include "model/scene_state.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr long double startDistance = 14142135.62373095;

using CameraView = StartSceneTest;

long double horizontalRadius() {
    return std::hypot(scene.eye.x, scene.eye.z);
}

// The eye's horizontal angle h, from x = -r cos h and z = r sin h, in degrees.
long double eyeHorizDegrees() {
    return std::atan2(scene.eye.z, -scene.eye.x) / degToRad;
}

testing::AssertionResult zoomStepFollowsEye() {
    return vecNear(scene.zoomStep, Vec3{-0.1 * scene.eye.x, -0.1 * scene.eye.y, -0.1 * scene.eye.z},
                   1e-15 * scene.viewDistance);
}

std::string orbitHorizPrints(long double delta) {
    return printed([delta] { orbitHoriz(delta); });
}

TEST_F(CameraView, OrbitHorizTurnsTheEyeToTheStoredAngle) {
    EXPECT_EQ(orbitHorizPrints(-2), "view dir horiz =========== 88.000000");
    EXPECT_EQ(scene.viewDirHoriz, 88);
    EXPECT_TRUE(vecNear(
        scene.eye, Vec3{-std::cos(88 * degToRad) * 1e7, 1e7, std::sin(88 * degToRad) * 1e7}, 1e-6));
    EXPECT_EQ(scene.eye.y, 10000000);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
    EXPECT_TRUE(zoomStepFollowsEye());
}

// Up from 90: 360 becomes 0, where the eye is on the -x side, and after a full turn the
// full-precision pi puts the eye back on the z axis (a six-digit pi would leave it some 13 km
// off). Down: -2 stays -2, not normalised to 358, and -360 becomes 0.
TEST_F(CameraView, OrbitHorizWrapsAtPlusAndMinus360) {
    struct Case {
        int delta, steps, end;
    };
    for (const Case& c : {Case{2, 180, 90}, Case{-2, 230, -10}}) {
        startScene();
        int expected = 90;
        for (int step = 1; step <= c.steps; ++step) {
            const std::string text = orbitHorizPrints(c.delta);
            expected += c.delta;
            expected += expected >= 360 ? -360 : expected <= -360 ? 360 : 0;
            ASSERT_EQ(scene.viewDirHoriz, expected) << "step " << step;
            if (expected == 0 || expected == -2) {
                EXPECT_EQ(text,
                          "view dir horiz =========== " + std::to_string(expected) + ".000000");
                EXPECT_NEAR(eyeHorizDegrees(), expected, 1e-12);
            }
        }
        EXPECT_EQ(scene.viewDirHoriz, c.end);
        const long double a = c.end * degToRad;
        EXPECT_TRUE(vecNear(scene.eye, Vec3{-std::cos(a) * 1e7, 1e7, std::sin(a) * 1e7}, 1e-6));
    }
}

// At +-90 the rough pi leaves cos a at about 1.3268e-6: the eye never reaches the pole and keeps
// its horizontal direction, and orbitHoriz still turns it there. orbitVert prints nothing.
TEST_F(CameraView, OrbitVertClampsAt90WithoutLosingTheHorizontalDirection) {
    for (int i = 0; i < 30; ++i) {
        orbitHorizPrints(-2);  // to 30 degrees, so the direction is not an axis
    }
    EXPECT_EQ(printed([] {
                  for (int step = 1; step <= 22; ++step) {
                      orbitVert(2);
                  }
              }),
              "");
    EXPECT_EQ(scene.viewDirVert, 89);
    for (int i = 0; i < 10; ++i) {
        orbitVert(2);
        ASSERT_EQ(scene.viewDirVert, 90);
    }
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    EXPECT_NEAR(eyeHorizDegrees(), 30, 1e-9);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
    orbitVert(-2);
    EXPECT_EQ(scene.viewDirVert, 88);
    EXPECT_NEAR(eyeHorizDegrees(), 30, 1e-9);
    EXPECT_NEAR(scene.eye.y / scene.viewDistance, std::sin(88 * degToRad), 1e-6);
    EXPECT_TRUE(zoomStepFollowsEye());

    for (int i = 0; i < 100; ++i) {
        orbitVert(-2);
    }
    EXPECT_EQ(scene.viewDirVert, -90);
    EXPECT_LT(scene.eye.y, 0);
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    orbitHorizPrints(2);
    EXPECT_NEAR(eyeHorizDegrees(), 32, 1e-9);
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
}

// Each permitted step starts above 1 km and ends at 0.9 of it; exactly 1 km is refused, just above
// it is not. Out, each step to 1.1 times is made unless it would pass the limit: 1.1 x
// 8393096454545 lies just below it, 1.1 x 8393096454546 just above.
TEST_F(CameraView, ZoomIsRefusedAtOneKilometreAndBeyondTheDistanceLimit) {
    for (const int step : {1, -1}) {
        startScene();
        for (int i = 0; i < 400; ++i) {
            const long double before = scene.viewDistance;
            const bool allowed = step > 0 ? before > 1 : 1.1 * before <= distanceLimit;
            zoomView(step);
            ASSERT_NEAR(scene.viewDistance, allowed ? (1 - 0.1 * step) * before : before,
                        1e-12 * before)
                << "step " << i;
        }
        EXPECT_TRUE(step > 0 ? scene.viewDistance > 0.9 && scene.viewDistance <= 1
                             : 1.1 * scene.viewDistance > distanceLimit);
        EXPECT_EQ(scene.viewDirHoriz, 90);
        EXPECT_EQ(scene.viewDirVert, 45);
    }
    struct Case {
        long double eyeZ, step, expected;
    };
    for (const Case& c :
         {Case{1, 1, 1}, Case{1.0000001, 1, 0.90000009}, Case{8393096454545.0, -1, 9232406099999.5},
          Case{8393096454546.0, -1, 8393096454546.0}}) {
        scene.eye = Vec3{0, 0, c.eyeZ};
        updateViewDistance();
        zoomView(c.step);
        EXPECT_NEAR(scene.eye.z, c.expected, 1e-15 * c.expected + 1e-12)
            << static_cast<double>(c.eyeZ);
    }
}

// The keys run the grid update even when the zoom itself is refused at either limit; each extent
// starts at twice its scale, and grid B keeps its scale.
TEST_F(CameraView, GridUpdateRunsAfterARefusedZoom) {
    struct Case {
        unsigned char key;
        long double eyeZ, scaleA, scaleB, expectedA;
    };
    for (const Case& c : {Case{'+', 1, 10, 2, 0.4}, Case{'x', 9e12, 1e12, 5e12, 25e12}}) {
        SCOPED_TRACE(c.key);
        scene.eye = Vec3{0, 0, c.eyeZ};
        updateViewDistance();
        scene.gridScaleA = c.scaleA;
        scene.gridExtentA = 2 * c.scaleA;
        scene.gridScaleB = c.scaleB;
        scene.gridExtentB = 2 * c.scaleB;
        press(std::string(1, static_cast<char>(c.key)));
        EXPECT_EQ(scene.viewDistance, c.eyeZ);
        EXPECT_NEAR(scene.gridScaleA, c.expectedA, 1e-15 * c.expectedA);
        EXPECT_EQ(scene.gridExtentA, 2 * scene.gridScaleA);
        EXPECT_EQ(scene.gridScaleB, c.scaleB);
        EXPECT_EQ(scene.gridExtentB, 2 * c.scaleB);
    }
}

// Each update changes at most one grid, and tests grid A first. Each extent starts at twice its
// scale and must stay so.
TEST_F(CameraView, GridUpdatesChangeOneGridAtMostAndTestAFirst) {
    struct Case {
        const char* what;
        void (*update)();
        long double a, b, expectedA, expectedB;
    };
    const long double d = scene.viewDistance;
    const Case cases[] = {
        {"refine, both at or below 0.2 of the distance: only A shrinks", refineGrids, 50 * d,
         10 * d, 2 * d, 10 * d},
        {"refine, only B at 0.2", refineGrids, d, 5 * d, d, 0.2 * d},
        {"refine, neither far enough from the distance", refineGrids, 2 * d, 0.4 * d, 2 * d,
         0.4 * d},
        {"coarsen, both at or below a fifth of the distance: only A grows", coarsenGrids, d / 50,
         d / 10, d / 2, d / 10},
        {"coarsen, only B at a fifth", coarsenGrids, d, d / 5, d, 5 * d},
        {"coarsen, neither far enough from the distance", coarsenGrids, 2 * d, 0.4 * d, 2 * d,
         0.4 * d},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scene.gridScaleA = c.a;
        scene.gridExtentA = 2 * c.a;
        scene.gridScaleB = c.b;
        scene.gridExtentB = 2 * c.b;
        c.update();
        EXPECT_NEAR(scene.gridScaleA, c.expectedA, 1e-6);
        EXPECT_NEAR(scene.gridScaleB, c.expectedB, 1e-6);
        EXPECT_EQ(scene.gridExtentA, 2 * scene.gridScaleA);
        EXPECT_EQ(scene.gridExtentB, 2 * scene.gridScaleB);
    }
}

// Zooming keeps the view direction: in and out again leaves 0.99 of the distance.
TEST_F(CameraView, ZoomInThenOutLeavesPoint99OfTheDistanceInTheSameDirection) {
    orbitHorizPrints(-2);
    orbitVert(2);
    const long double horiz = eyeHorizDegrees();
    zoomView(1);
    zoomView(-1);
    EXPECT_NEAR(scene.viewDistance, 0.99 * startDistance, 1e-15 * startDistance);
    EXPECT_NEAR(eyeHorizDegrees(), horiz, 1e-12);
    EXPECT_NEAR(std::asin(scene.eye.y / scene.viewDistance) / degToRad, 47, 1e-4);
    EXPECT_TRUE(zoomStepFollowsEye());
}

// Runs to both limits and then random zooms: after each zoom and its grid update the grids are
// still a factor 5 apart, each extent twice its scale. The larger grid shrinks once the distance
// falls to a fifth of it, and the smaller grows once the distance reaches five times it (the
// larger one's size), so the distance stays between 0.2 x 0.9 and 1 times the larger scale.
TEST_F(CameraView, GridsStayAFactorFiveApartThroughLongZoomSequences) {
    std::mt19937 random(20240611);
    std::bernoulli_distribution coin(0.5);
    for (int i = 0; i < 20000; ++i) {
        const bool in = i < 400 || (i >= 1200 && i < 1400) || (i >= 1400 && coin(random));
        if (in) {
            zoomView(1);
            refineGrids();
        } else {
            zoomView(-1);
            coarsenGrids();
        }
        const long double a = scene.gridScaleA;
        const long double b = scene.gridScaleB;
        const long double larger = std::max(a, b);
        ASSERT_NEAR(larger / std::min(a, b), 5, 1e-12) << "zoom " << i;
        ASSERT_EQ(scene.gridExtentA, 2 * a) << "zoom " << i;
        ASSERT_EQ(scene.gridExtentB, 2 * b) << "zoom " << i;
        ASSERT_GT(scene.viewDistance / larger, 0.18 - 1e-12) << "zoom " << i;
        ASSERT_LT(scene.viewDistance / larger, 1 + 1e-12) << "zoom " << i;
    }
}

}  // namespace
