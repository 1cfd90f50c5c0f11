// The keyboard table and the mouse bindings: every code prints its line, the scale keys stop at
// their limits on exact powers of ten, the selection keys and Backspace, and the drag groups.
#include "camera/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "camera/navigation.h"
#include "model/scene_state.h"
#include "tests/support/test_helpers.h"

namespace {

constexpr long double startDistance = 14142135.62373095;
constexpr long double startStep = 1414213.562373095;

using CameraInput = StartSceneTest;

std::string drag(int x, int y) {
    return printed([x, y] { onMouseDrag(x, y); });
}

void pressButtons(std::initializer_list<int> buttons, int y = 100) {
    for (const int button : buttons) {
        onMouseButton(button, 0, 0, y);
    }
}

// Everything an input event may change, except the walking plane that every key refreshes.
auto inputState() {
    const SceneState& s = scene;
    return std::tuple(s.eye.x, s.eye.y, s.eye.z, s.followOffset.x, s.followOffset.y,
                      s.followOffset.z, s.viewDistance, s.viewDirHoriz, s.viewDirVert, s.gridScaleA,
                      s.gridExtentA, s.gridScaleB, s.gridExtentB, s.followBody, s.viewBody,
                      s.timeScale, s.globeScale, s.leftButtonDown, s.middleButtonDown,
                      s.rightButtonDown, s.lastMouseX, s.lastMouseY);
}

// Every code prints its line first. Codes outside the table (upper-case letters, the digits 0, 1,
// 5 and 7, Escape, Enter and space among them) only print: nothing but the walking plane changes.
TEST_F(CameraInput, EveryCodePrintsItsKeyLineAndUnboundCodesNothingElse) {
    const std::set<int> bound{8,  33, 35, 36, 37, 38, 39, 40, 41, 42,  43,  45,  50,  51, 52,
                              54, 56, 57, 59, 64, 91, 93, 94, 97, 100, 115, 119, 120, 122};
    for (int code = 0; code < 256; ++code) {
        startScene();
        scene.lastMouseX = 3;
        scene.lastMouseY = 4;
        const auto before = inputState();
        const std::string text = press(std::string(1, static_cast<char>(code)));
        const std::string line = "key pressed = " + std::to_string(code) + "\n";
        ASSERT_EQ(text.substr(0, line.size()), line) << "code " << code;
        if (!bound.contains(code)) {
            ASSERT_EQ(text, line);
            ASSERT_TRUE(inputState() == before) << "code " << code;
        }
    }
    EXPECT_EQ(press("a"), "key pressed = 97\nview dir horiz =========== 88.000000");
}

TEST_F(CameraInput, SelectionKeysSetBothSlotsToTheDigitOnTheKey) {
    const std::string_view keys = ")!@#$%^&*(";  // shifted 0 ... 9
    for (int slot = 0; slot < 10; ++slot) {
        scene.followBody = scene.viewBody = -1;
        press(keys.substr(slot, 1));
        EXPECT_EQ(scene.followBody, slot) << keys[slot];
        EXPECT_EQ(scene.viewBody, slot) << keys[slot];
    }
}

// The first Backspace stops following and leaves the look-at point; the next stops viewing; with
// nothing selected it changes nothing. Then the next key takes slot 3's flat plane again.
TEST_F(CameraInput, BackspaceStopsFollowingThenStopsViewingAndNeverSelectsSlot8) {
    const auto start = inputState();
    press("\b");
    EXPECT_TRUE(inputState() == start);
    press("#8");
    const Vec3 walked = scene.followOffset;
    press("\b");
    EXPECT_EQ(std::pair(scene.followBody, scene.viewBody), std::pair(-1, 3));
    EXPECT_TRUE(sameVec(scene.followOffset, walked));
    press("\b");
    EXPECT_EQ(std::pair(scene.followBody, scene.viewBody), std::pair(-1, -1));
    press("q");
    EXPECT_EQ(scene.referenceBody, 3);
    EXPECT_EQ(scene.refTilt, 0);
    // Following only (viewBody cleared by hand): the first Backspace leaves viewBody alone.
    press("(");
    scene.viewBody = -1;
    press("\b");
    EXPECT_EQ(std::pair(scene.followBody, scene.viewBody), std::pair(-1, -1));
}

// Each scale starts at 1, stays there on the key down, climbs by exact powers of ten to its top,
// stays there, and comes back down to 1.
TEST_F(CameraInput, ScaleKeysStepThroughExactPowersOfTen) {
    struct Case {
        const char *up, *down;
        double SceneState::*scale;
        int topExponent;
    };
    const double powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    for (const Case& c :
         {Case{"]", "[", &SceneState::timeScale, 8}, Case{"'", ";", &SceneState::globeScale, 4}}) {
        SCOPED_TRACE(c.up);
        double& scale = scene.*c.scale;
        press(c.down);
        EXPECT_EQ(scale, 1.0);
        for (int i = 1; i <= c.topExponent + 1; ++i) {
            press(c.up);
            ASSERT_EQ(scale, powers[std::min(i, c.topExponent)]);
        }
        for (int i = c.topExponent - 1; i >= -1; --i) {
            press(c.down);
            ASSERT_EQ(scale, powers[std::max(i, 0)]);
        }
    }
}

// z and + zoom in and refine (grid A shrinks at once), - and x zoom out and coarsen.
TEST_F(CameraInput, OrbitAndZoomKeys) {
    press("w");
    EXPECT_EQ(scene.viewDirVert, 47);
    press("ss");
    EXPECT_EQ(scene.viewDirVert, 43);
    press("dd");
    EXPECT_EQ(scene.viewDirHoriz, 94);
    press("a");
    EXPECT_EQ(scene.viewDirHoriz, 92);
    const long double gridA = scene.gridScaleA;
    const long double gridB = scene.gridScaleB;
    press("z");
    EXPECT_NEAR(scene.viewDistance, 0.9 * startDistance, 1e-6);
    EXPECT_NEAR(scene.gridScaleA, 0.04 * gridA, 1e-6);
    EXPECT_EQ(scene.gridScaleB, gridB);
    press("+");
    EXPECT_NEAR(scene.viewDistance, 0.81 * startDistance, 1e-6);
    press("-");
    EXPECT_NEAR(scene.viewDistance, 0.891 * startDistance, 1e-6);
    press("xxxxxxxxxxxxxxxx");  // grid A grows back by 25
    EXPECT_NEAR(scene.gridScaleA, gridA, 1e-6);
}

// A button event records only y; buttons GLUT may or may not send (wheel 3 and 4) or never sends
// record nothing else.
TEST_F(CameraInput, ButtonEventsRecordOnlyY) {
    scene.lastMouseX = 77;
    onMouseButton(0, 0, 123, 456);
    EXPECT_EQ(scene.lastMouseY, 456);
    pressButtons({1, 2});
    EXPECT_EQ(std::tuple(scene.leftButtonDown, scene.middleButtonDown, scene.rightButtonDown),
              std::tuple(1, 1, 1));
    for (const int button : {3, 4, 5, -1, 1000, INT_MIN, INT_MAX}) {
        for (const int state : {0, 1}) {
            onMouseButton(button, state, 9, button);
            EXPECT_EQ(scene.lastMouseY, button);
            scene.lastMouseY = 11;
            const auto before = inputState();
            onMouseButton(button, state, 9, 11);
            EXPECT_TRUE(inputState() == before) << button << " " << state;
        }
    }
    for (const int button : {0, 1, 2}) {
        onMouseButton(button, 1, 0, 0);
    }
    EXPECT_EQ(std::tuple(scene.leftButtonDown, scene.middleButtonDown, scene.rightButtonDown),
              std::tuple(0, 0, 0));
    EXPECT_EQ(scene.lastMouseX, 77);
}

// Down zooms out and up zooms in, with no orbit even though x moves; no vertical motion, nothing.
TEST_F(CameraInput, LeftAndRightDragZoomsDownOutUpIn) {
    pressButtons({0, 2});
    EXPECT_EQ(drag(50, 110), "");
    EXPECT_NEAR(scene.viewDistance, 1.1 * startDistance, 1e-6);
    EXPECT_EQ(scene.viewDirHoriz, 90);
    EXPECT_EQ(scene.viewDirVert, 45);
    drag(60, 100);
    EXPECT_NEAR(scene.viewDistance, 0.99 * startDistance, 1e-6);
    const long double distance = scene.viewDistance;
    drag(10, 100);
    EXPECT_EQ(scene.viewDistance, distance);
    EXPECT_EQ(std::pair(scene.lastMouseX, scene.lastMouseY), std::pair(10, 100));
    EXPECT_EQ(scene.followOffset.z, 0);
}

// The drags run in order from the pointer at (200, 100).
TEST_F(CameraInput, RightDragOrbits) {
    struct Case {
        int x, y;
        const char* printed;
        long double horiz, vert;
    };
    pressButtons({2});
    scene.lastMouseX = 200;
    for (const Case& c : {Case{201, 101, "view dir horiz =========== 88.000000", 88, 47},
                          Case{200, 100, "view dir horiz =========== 90.000000", 90, 45},
                          Case{200, 99, "", 90, 43}}) {
        SCOPED_TRACE(c.printed);
        EXPECT_EQ(drag(c.x, c.y), c.printed);
        EXPECT_EQ(scene.viewDirHoriz, c.horiz);
        EXPECT_EQ(scene.viewDirVert, c.vert);
        EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
    }
}

// One step per axis however far the pointer moves; offsets in steps of a tenth of the distance.
// In order: up and left, down and right far, no motion, down and left, up and right.
TEST_F(CameraInput, MiddleDragMakesOneMovePerAxis) {
    struct Case {
        int x, y;
        long double offsetX, offsetZ;
    };
    pressButtons({1});
    scene.lastMouseX = 100;
    for (const Case& c : {Case{90, 90, -1, -1}, Case{5000, 5000, 0, 0}, Case{5000, 5000, 0, 0},
                          Case{4999, 5001, -1, 1}, Case{5000, 5000, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        drag(c.x, c.y);
        EXPECT_NEAR(scene.followOffset.x, c.offsetX * startStep, 1e-6);
        EXPECT_NEAR(scene.followOffset.z, c.offsetZ * startStep, 1e-6);
    }
    EXPECT_EQ(scene.viewDirHoriz, 90);
    EXPECT_NEAR(scene.viewDistance, startDistance, 1e-6);
}

// With all three down, a drag down zooms out, then steps back at the new distance; with right and
// middle, a drag right orbits to 88 first, then steps to the right of the new view.
TEST_F(CameraInput, SeveralButtonsZoomOrOrbitThenMoveInOneEvent) {
    pressButtons({0, 1, 2});
    drag(0, 101);
    EXPECT_NEAR(scene.viewDistance, 1.1 * startDistance, 1e-6);
    EXPECT_NEAR(scene.followOffset.z, 1.1 * startStep, 1e-6);
    EXPECT_EQ(scene.viewDirVert, 45);
    onMouseButton(0, 1, 0, 101);
    drag(1, 101);
    EXPECT_EQ(scene.viewDirHoriz, 88);
    const long double h = 88 * degToRad;
    EXPECT_NEAR(scene.followOffset.x, 1.1 * startStep * std::sin(h), 1e-6);
    EXPECT_NEAR(scene.followOffset.z, 1.1 * startStep * (1 + std::cos(h)), 1e-6);
}

// With the left button alone, or none, a drag only records the pointer.
TEST_F(CameraInput, LeftDragAloneDoesNothingButTrackThePointer) {
    pressButtons({0});
    drag(-40, 300);
    scene.lastMouseX = INT_MAX;
    scene.lastMouseY = INT_MIN;
    const auto before = inputState();
    drag(INT_MAX, INT_MIN);
    drag(-40, 300);
    drag(INT_MAX, INT_MIN);
    EXPECT_TRUE(inputState() == before);
    onMouseButton(0, 1, 0, 7);
    drag(12, 13);
    EXPECT_EQ(std::pair(scene.lastMouseX, scene.lastMouseY), std::pair(12, 13));
}

// A press records only y, so the first drag compares x with the last drag's x (0 before any).
TEST_F(CameraInput, FirstDragComparesXWithThePreviousDrag) {
    onMouseButton(2, 0, 500, 100);
    drag(400, 100);  // 400 > 0: a drag to the right
    EXPECT_EQ(scene.viewDirHoriz, 88);
    onMouseButton(2, 0, 100, 100);
    drag(300, 100);  // right of the press at 100, but left of the last drag's 400
    EXPECT_EQ(scene.viewDirHoriz, 90);
    onMouseButton(2, 0, 900, 50);
    drag(350, 50);  // 350 > 300: right, while y equals the press's y: no vertical step
    EXPECT_EQ(scene.viewDirHoriz, 88);
    EXPECT_EQ(scene.viewDirVert, 45);
}

// After a selection key, middle drags keep the plane of the last key press until another key:
// '(' refreshed slot 3's flat plane before it took effect; any key then takes slot 9's.
TEST_F(CameraInput, MiddleDragKeepsTheFormerPlaneAfterASelectionKey) {
    press("(");
    EXPECT_EQ(scene.refTilt, 0);
    pressButtons({1});
    drag(0, 99);
    EXPECT_EQ(scene.followOffset.y, 0);
    EXPECT_NEAR(scene.followOffset.z, -startStep, 1e-6);
    press("Q");
    EXPECT_EQ(scene.refTilt, 17.16);
    drag(0, 98);  // forward now descends
    EXPECT_NEAR(scene.followOffset.y, -startStep * std::sin(17.16 * degToRad), 1e-6);
}

}  // namespace
