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

void expectZoomStepFollowsEye() {
    EXPECT_NEAR(scene.zoomStep.x, -0.1 * scene.eye.x, 1e-15 * scene.viewDistance);
    EXPECT_NEAR(scene.zoomStep.y, -0.1 * scene.eye.y, 1e-15 * scene.viewDistance);
    EXPECT_NEAR(scene.zoomStep.z, -0.1 * scene.eye.z, 1e-15 * scene.viewDistance);
}

TEST_F(CameraView, OrbitHorizTurnsTheEyeToTheStoredAngle) {
    EXPECT_EQ(printed([] { orbitHoriz(-2); }), "view dir horiz =========== 88.000000");
    EXPECT_EQ(scene.viewDirHoriz, 88);
    EXPECT_LT(scene.eye.x, 0);  // slightly on the -x side
    EXPECT_NEAR(scene.eye.x, -std::cos(88 * degToRad) * 10000000, 1e-6);
    EXPECT_NEAR(scene.eye.z, std::sin(88 * degToRad) * 10000000, 1e-6);
    EXPECT_EQ(scene.eye.y, 10000000);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
    expectZoomStepFollowsEye();
}

TEST_F(CameraView, OrbitHorizWrapsAtPlus360AndReturnsAfterAFullTurn) {
    int expected = 90;
    for (int step = 1; step <= 180; ++step) {
        const std::string text = printed([] { orbitHoriz(2); });
        expected += 2;
        if (expected >= 360) {
            expected -= 360;
        }
        ASSERT_EQ(scene.viewDirHoriz, expected) << "step " << step;
        if (expected == 0) {
            EXPECT_EQ(text, "view dir horiz =========== 0.000000");
            // At 0 the eye is on the -x side.
            EXPECT_NEAR(scene.eye.x, -10000000, 1e-6);
            EXPECT_NEAR(scene.eye.z, 0, 1e-6);
        }
    }
    EXPECT_EQ(scene.viewDirHoriz, 90);
    // The full-precision pi puts the eye back on the z axis; a six-digit pi would leave it ~13 km
    // off.
    EXPECT_NEAR(scene.eye.x, 0, 1e-6);
    EXPECT_NEAR(scene.eye.z, 10000000, 1e-6);
    EXPECT_EQ(scene.eye.y, 10000000);
}

TEST_F(CameraView, OrbitHorizGoesBelowZeroAndWrapsAtMinus360) {
    int expected = 90;
    for (int step = 1; step <= 230; ++step) {
        const std::string text = printed([] { orbitHoriz(-2); });
        expected -= 2;
        if (expected <= -360) {
            expected += 360;
        }
        ASSERT_EQ(scene.viewDirHoriz, expected) << "step " << step;
        if (step == 46) {
            // -2 stays -2, it is not normalised to 358.
            EXPECT_EQ(scene.viewDirHoriz, -2);
            EXPECT_EQ(text, "view dir horiz =========== -2.000000");
            EXPECT_NEAR(eyeHorizDegrees(), -2, 1e-12);
        }
        if (step == 225) {
            EXPECT_EQ(scene.viewDirHoriz, 0);
        }
        ASSERT_GT(scene.viewDirHoriz, -360);
    }
    EXPECT_EQ(scene.viewDirHoriz, -10);
}

TEST_F(CameraView, OrbitVertClampsAtTheTopWithoutLosingTheHorizontalDirection) {
    for (int i = 0; i < 30; ++i) {
        printed([] { orbitHoriz(-2); });  // to 30 degrees, so the direction is not an axis
    }
    ASSERT_EQ(scene.viewDirHoriz, 30);
    // orbitVert prints nothing.
    EXPECT_EQ(printed([] {
                  for (int step = 1; step <= 22; ++step) {
                      orbitVert(2);
                  }
              }),
              "");
    EXPECT_EQ(scene.viewDirVert, 89);
    orbitVert(2);  // the 23rd step would give 91
    EXPECT_EQ(scene.viewDirVert, 90);
    for (int i = 0; i < 10; ++i) {
        orbitVert(2);
        ASSERT_EQ(scene.viewDirVert, 90);
    }

    // The rough pi leaves cos a at about 1.3268e-6: the eye never reaches the pole.
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    EXPECT_NEAR(eyeHorizDegrees(), 30, 1e-9);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);

    orbitVert(-2);
    EXPECT_EQ(scene.viewDirVert, 88);
    EXPECT_NEAR(eyeHorizDegrees(), 30, 1e-9);
    EXPECT_NEAR(scene.eye.y / scene.viewDistance, std::sin(88 * degToRad), 1e-6);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
    expectZoomStepFollowsEye();
}

TEST_F(CameraView, OrbitVertClampsAtTheBottomAndOrbitHorizStillWorksThere) {
    for (int i = 0; i < 100; ++i) {
        orbitVert(-2);
    }
    EXPECT_EQ(scene.viewDirVert, -90);
    EXPECT_LT(scene.eye.y, 0);
    EXPECT_GT(horizontalRadius(), 0);
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    EXPECT_NEAR(eyeHorizDegrees(), 90, 1e-9);

    printed([] { orbitHoriz(2); });
    EXPECT_NEAR(eyeHorizDegrees(), 92, 1e-9);
    EXPECT_NEAR(horizontalRadius() / scene.viewDistance, 1.3268e-6, 1e-10);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
}

TEST_F(CameraView, ZoomInIsRefusedAtOneKilometreOrLess) {
    // From the start, zoom in until it stops: each permitted step starts above 1 km.
    int made = 0;
    for (int i = 0; i < 400; ++i) {
        const long double before = scene.viewDistance;
        const Vec3 eye = scene.eye;
        zoomView(1);
        if (before > 1) {
            ASSERT_NEAR(scene.viewDistance, 0.9 * before, 1e-12 * before) << "step " << i;
            ++made;
        } else {
            ASSERT_EQ(scene.eye.x, eye.x);
            ASSERT_EQ(scene.eye.y, eye.y);
            ASSERT_EQ(scene.eye.z, eye.z);
        }
    }
    EXPECT_GT(made, 100);
    EXPECT_GT(scene.viewDistance, 0.9);  // the last step ends above 0.9 km
    EXPECT_LE(scene.viewDistance, 1);
    EXPECT_EQ(scene.viewDirHoriz, 90);
    EXPECT_EQ(scene.viewDirVert, 45);

    // Exactly 1 km is refused; just above it is not.
    scene.eye = Vec3{0, 0, 1};
    updateViewDistance();
    zoomView(1);
    EXPECT_EQ(scene.eye.z, 1);
    EXPECT_EQ(scene.viewDistance, 1);
    scene.eye = Vec3{0, 0, 1.0000001};
    updateViewDistance();
    zoomView(1);
    EXPECT_NEAR(scene.viewDistance, 0.90000009, 1e-12);
}

TEST_F(CameraView, ZoomOutIsRefusedBeyondTheDistanceLimit) {
    int made = 0;
    for (int i = 0; i < 400; ++i) {
        const long double before = scene.viewDistance;
        zoomView(-1);
        if (1.1 * before <= distanceLimit) {
            ASSERT_NEAR(scene.viewDistance, 1.1 * before, 1e-12 * before) << "step " << i;
            ++made;
        } else {
            ASSERT_EQ(scene.viewDistance, before) << "step " << i;
        }
        ASSERT_LE(scene.viewDistance, distanceLimit);
        ASSERT_EQ(scene.viewDistance, static_cast<double>(scene.viewDistance));
    }
    EXPECT_GT(made, 100);
    EXPECT_GT(1.1 * scene.viewDistance, distanceLimit);

    // 1.1 x 8393096454545 lies just below the limit, 1.1 x 8393096454546 just above it.
    scene.eye = Vec3{0, 0, 8393096454545.0};
    updateViewDistance();
    zoomView(-1);
    EXPECT_NEAR(scene.viewDistance, 9232406099999.5, 1e-2);
    EXPECT_LE(scene.viewDistance, distanceLimit);
    scene.eye = Vec3{0, 0, 8393096454546.0};
    updateViewDistance();
    zoomView(-1);
    EXPECT_EQ(scene.eye.z, 8393096454546.0);
}

// The keys run the grid update even when the zoom itself is refused at either limit.
TEST_F(CameraView, GridUpdateRunsAfterARefusedZoom) {
    struct Case {
        const char* what;
        unsigned char key;
        long double eyeZ, scaleA, scaleB;  // each extent starts at twice its scale
        long double expectedA;             // grid B keeps its scale
    };
    const Case cases[] = {
        {"zoom in at 1 km", '+', 1, 10, 2, 0.4},
        {"zoom out near the far limit", 'x', 9000000000000.0, 1000000000000.0, 5000000000000.0,
         25000000000000.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scene.eye = Vec3{0, 0, c.eyeZ};
        updateViewDistance();
        scene.gridScaleA = c.scaleA;
        scene.gridExtentA = 2 * c.scaleA;
        scene.gridScaleB = c.scaleB;
        scene.gridExtentB = 2 * c.scaleB;
        printed([&c] { onKeyboard(c.key, 0, 0); });
        EXPECT_EQ(scene.eye.z, c.eyeZ);
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

TEST_F(CameraView, FirstZoomInShrinksGridAOnly) {
    const long double scaleA = scene.gridScaleA;
    const long double scaleB = scene.gridScaleB;
    zoomView(1);
    refineGrids();
    EXPECT_NEAR(scene.viewDistance, 0.9 * startDistance, 1e-6);
    EXPECT_NEAR(scene.viewDistance / scaleA, 0.18, 1e-15);
    EXPECT_NEAR(scene.gridScaleA, 0.04 * scaleA, 1e-15 * scaleA);
    EXPECT_EQ(scene.gridExtentA, 2 * scene.gridScaleA);
    EXPECT_EQ(scene.gridScaleB, scaleB);
    EXPECT_EQ(scene.gridExtentB, 2 * scaleB);
    expectZoomStepFollowsEye();
}

TEST_F(CameraView, ZoomInThenOutLeavesPoint99OfTheDistance) {
    printed([] { orbitHoriz(-2); });
    orbitVert(2);
    const long double horiz = eyeHorizDegrees();
    zoomView(1);
    refineGrids();
    zoomView(-1);
    coarsenGrids();
    EXPECT_NEAR(scene.viewDistance, 0.99 * startDistance, 1e-15 * startDistance);
    EXPECT_EQ(scene.viewDirHoriz, 88);
    EXPECT_EQ(scene.viewDirVert, 47);
    EXPECT_NEAR(eyeHorizDegrees(), horiz, 1e-12);
    EXPECT_NEAR(std::asin(scene.eye.y / scene.viewDistance) / degToRad, 47, 1e-4);
}

// Zooms of every kind, including runs to both limits: after each zoom and its grid update the
// grids are still a factor 5 apart, each extent twice its scale, and the larger grid comparable to
// the distance.
TEST_F(CameraView, GridsStayAFactorFiveApartThroughLongZoomSequences) {
    std::mt19937 random(20240611);
    std::bernoulli_distribution coin(0.5);
    long double lowest = distanceLimit;
    long double highest = 0;
    for (int i = 0; i < 20000; ++i) {
        bool zoomIn = coin(random);
        if (i < 400) {
            zoomIn = true;  // down to the 1 km limit
        } else if (i < 1200) {
            zoomIn = false;  // out to the far limit
        } else if (i < 1400) {
            zoomIn = true;
        }
        if (zoomIn) {
            zoomView(1);
            refineGrids();
        } else {
            zoomView(-1);
            coarsenGrids();
        }
        const long double a = scene.gridScaleA;
        const long double b = scene.gridScaleB;
        const long double ratio = a > b ? a / b : b / a;
        ASSERT_NEAR(ratio, 5, 1e-12) << "zoom " << i;
        ASSERT_EQ(scene.gridExtentA, 2 * a) << "zoom " << i;
        ASSERT_EQ(scene.gridExtentB, 2 * b) << "zoom " << i;
        // The larger grid shrinks once the distance falls to a fifth of it, and the smaller one
        // grows once the distance reaches five times it (the larger one's size), so the distance
        // stays between 0.2 x 0.9 and 1 times the larger scale.
        const long double larger = a > b ? a : b;
        ASSERT_GT(scene.viewDistance / larger, 0.18 - 1e-12) << "zoom " << i;
        ASSERT_LT(scene.viewDistance / larger, 1 + 1e-12) << "zoom " << i;
        lowest = std::min(lowest, scene.viewDistance);
        highest = std::max(highest, scene.viewDistance);
    }
    EXPECT_LE(lowest, 1);
    EXPECT_GT(1.1 * highest, distanceLimit);
}

}  // namespace
