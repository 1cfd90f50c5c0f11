// Views shared by links: a view written as text and read back in a fresh scene is the same scene;
// links this version wrote keep opening the views they showed; and a bad part of a link, whatever
// it holds, leaves its setting as it was and is reported, while the rest is used.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/view_link.h"
#include "app/view_state.h"
#include "model/scene_state.h"
#include "tests/support/test_helpers.h"

namespace {

testing::AssertionResult near(const Vec3& a, const Vec3& b, long double tolerance) {
    if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
        std::fabs(a.z - b.z) <= tolerance) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "(" << double(a.x) << ", " << double(a.y) << ", " << double(a.z) << ") vs ("
           << double(b.x) << ", " << double(b.y) << ", " << double(b.z) << ")";
}

std::string textOf(const SharedView& view) {
    char text[1024];
    EXPECT_GT(formatView(view, text, sizeof text), 0u);
    return text;
}

// Opens a link in the scene as the page does: parse over the scene's settings, then apply.
std::uint32_t open(const std::string& link, SharedView& view) {
    view = currentView();
    const std::uint32_t unusable = parseView(link.data(), link.size(), false, view);
    return unusable | applyView(view, viewSettings & ~unusable);
}

void expectSameAngles(const SceneState& expected) {
    forEachAdvancedRecord(
        expected, [](const BodyRecord& now, const BodyRecord& was, const std::string& name) {
            for (auto [a, b] : {std::pair{now.orbitAngle, was.orbitAngle},
                                std::pair{now.spinAngle, was.spinAngle}}) {
                EXPECT_LT(a, 360) << name;
                EXPECT_NEAR(static_cast<double>(std::sin(a * degToRad)),
                            static_cast<double>(std::sin(b * degToRad)), 1e-12)
                    << name;
                EXPECT_NEAR(static_cast<double>(std::cos(a * degToRad)),
                            static_cast<double>(std::cos(b * degToRad)), 1e-12)
                    << name;
            }
        });
}

void expectSameSettings(const SceneState& a) {
    EXPECT_EQ(scene.timeScale, a.timeScale);
    EXPECT_EQ(scene.globeScale, a.globeScale);
    EXPECT_EQ(scene.followBody, a.followBody);
    EXPECT_EQ(scene.viewBody, a.viewBody);
    EXPECT_TRUE(near(scene.eye, a.eye, 1e-15L * a.viewDistance));
    EXPECT_TRUE(near(scene.followOffset, a.followOffset, 1e-6L));
    EXPECT_DOUBLE_EQ(double(scene.viewDistance), double(a.viewDistance));
    EXPECT_DOUBLE_EQ(double(scene.viewDirHoriz), double(a.viewDirHoriz));
    EXPECT_DOUBLE_EQ(double(scene.viewDirVert), double(a.viewDirVert));
    EXPECT_DOUBLE_EQ(double(scene.gridExtentA), double(a.gridExtentA));
    EXPECT_DOUBLE_EQ(double(scene.gridScaleB), double(a.gridScaleB));
    EXPECT_EQ(scene.referenceBody, a.referenceBody);
    EXPECT_EQ(scene.refHoriz, a.refHoriz);
}

using ViewLink = StartSceneTest;

// Keys, then five weeks of model time at 10^6: the link opens the same settings and angles in a
// scene started anew, from the moment it is opened, with one fresh light shell.
TEST_F(ViewLink, OpensTheSameSceneElsewhere) {
    press(std::string("]]]]]]''^zzzaaw\x08") + "8899");
    runSomeWeeks();
    SharedView made = currentView();
    made.elapsed = 3e6;  // three ticks of a second at 10^6
    made.paused = true;
    made.names = false;
    const std::string link = textOf(made);
    const SceneState before = scene;

    startScene(500);
    advanceClock(2000);  // the page's start-up before the link is read: not model time
    SharedView opened;
    EXPECT_EQ(open(link, opened), 0u) << link;
    idleAfter(0);
    EXPECT_EQ(scene.frameStep, 0);
    expectSameSettings(before);
    expectSameAngles(before);
    EXPECT_EQ(scene.shellCount, 1);
    EXPECT_TRUE(opened.paused);
    EXPECT_FALSE(opened.names);
    EXPECT_EQ(textOf(opened), link);
}

// Links written by this version, with the views they show: a change that breaks old links fails
// here. Made with the keys ]]]]]]''^zzzaaw and $8889<Backspace>xxdd; then five weeks at 10^6.
TEST_F(ViewLink, OldLinksOpenTheirViews) {
    SharedView view;
    EXPECT_EQ(open("v=1&time=1000000&globes=100&follow=saturn&level=saturn"
                   "&eye=-490468.02265345174,7539971.5881785894,7014019.5015564386&look=0,0,0"
                   "&dir=86,47&grids=2828427.1247461901,14142135.62373095&plane=saturn"
                   "&elapsed=3000000&paused=0&names=1",
                   view),
              0u);
    EXPECT_EQ(scene.timeScale, 1e6);
    EXPECT_EQ(scene.globeScale, 100);
    EXPECT_EQ(scene.followBody, 6);
    EXPECT_EQ(scene.viewBody, 6);
    EXPECT_EQ(double(scene.eye.y), 7539971.5881785894);
    EXPECT_EQ(scene.viewDirHoriz, 86);
    EXPECT_EQ(double(scene.gridExtentA), 2 * 2828427.1247461901);
    EXPECT_EQ(scene.referenceBody, 6);
    EXPECT_NEAR(double(scene.planets[6].orbitAngle), 1.1625954897805529, 1e-12);
    EXPECT_NEAR(double(scene.planets[4].orbitAngle), 18.195580649999999, 1e-12);
    EXPECT_FALSE(view.paused);
    EXPECT_TRUE(view.names);

    startScene();
    EXPECT_EQ(open("v=1&time=1000000&globes=1&follow=none&level=mars"
                   "&eye=844053.33230391612,12100000,12070525.008143873"
                   "&look=0,1414213.5623730951,-4242640.6871192853&dir=94,45"
                   "&grids=70710678.11865475,14142135.62373095&plane=mars&elapsed=3000000"
                   "&paused=1&names=0",
                   view),
              0u);
    EXPECT_EQ(scene.followBody, -1);
    EXPECT_EQ(scene.viewBody, 4);
    EXPECT_EQ(double(scene.followOffset.z), -4242640.6871192853);
    EXPECT_EQ(scene.viewDirVert, 45);
    EXPECT_TRUE(view.paused);
    EXPECT_FALSE(view.names);
}

// Each bad part is reported and leaves its setting as start-up has it; the good parts are used.
TEST_F(ViewLink, BadPartsAreReportedAndLeftAtTheirStartValues) {
    const SceneState start = scene;
    // A good link of a changed view, each part of which a case replaces with a bad one.
    const std::pair<std::string, std::string> good[] = {
        {"time", "10"},    {"globes", "10"},    {"follow", "mars"}, {"level", "mars"},
        {"eye", "1,2,3"},  {"look", "4,5,6"},   {"dir", "10,20"},   {"grids", "7,8"},
        {"plane", "mars"}, {"elapsed", "1000"}, {"paused", "1"},    {"names", "0"},
    };
    const std::string huge(100000, '9');
    const struct {
        std::string part;  // replaced, or "" for a link with the bad text added to it
        std::string text;
        std::uint32_t unusable;
    } cases[] = {
        {"time", "time=1e400", viewPartTime},
        {"time", "time=NaN", viewPartTime},
        {"time", "time=Infinity", viewPartTime},
        {"time", "time=300", viewPartTime},
        {"time", "time=1e9", viewPartTime},
        {"time", "time=%3Cb%3E10", viewPartTime},
        {"time", "time=1\x01", viewPartTime},
        {"time", "time= 10", viewPartTime},
        {"time", "time=0x10", viewPartTime},
        {"time", "time", viewPartTime},
        {"", "time=10", viewPartTime},  // given twice
        {"globes", "globes=" + huge, viewPartGlobes},
        {"follow", "follow=vulcan", viewPartFollow},
        {"follow", "follow=<img src=x onerror=alert(1)>", viewPartFollow},
        {"", "<script>alert(1)</script>", viewPartUnknown},
        {"eye", "eye=1,2", viewPartEye},
        {"eye", "eye=1,2,3,4", viewPartEye},
        {"eye", "eye=0,1e7,0", viewPartEye},
        {"eye", "eye=1e13,0,1", viewPartEye},
        {"eye", "eye=1e-300,1e7,0", viewPartEye},
        {"look", "look=0,nan,0", viewPartLook},
        {"dir", "dir=360,0", viewPartDirection},
        {"dir", "dir=0,90.5", viewPartDirection},
        {"grids", "grids=-5,10", viewPartGrids},
        {"grids", "grids=0,10", viewPartGrids},
        {"plane", "plane=10", viewPartPlane},
        {"elapsed", "elapsed=-1", viewPartElapsed},
        {"paused", "paused=yes", viewPartPaused},
        {"names", "names=2", viewPartNames},
        {"", "x=1", viewPartUnknown},
        {"names", "", viewPartNames},  // missing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        std::string link = "v=1";
        for (const auto& [name, value] : good) {
            if (name != c.part)
                link += "&" + name + "=" + value;
        }
        if (!c.text.empty())
            link += "&" + c.text;
        startScene();
        SharedView view;
        EXPECT_EQ(open(link, view), c.unusable);
        EXPECT_TRUE(std::isfinite(scene.viewDistance));
        if (c.unusable & viewPartTime) {
            EXPECT_EQ(scene.timeScale, start.timeScale);
        }
        if (c.unusable & viewPartEye) {
            EXPECT_TRUE(sameVec(scene.eye, start.eye));
        }
        if (c.unusable & viewPartLook) {
            EXPECT_TRUE(sameVec(scene.followOffset, start.followOffset));
        }
        if (c.unusable & viewPartGrids) {
            EXPECT_EQ(scene.gridScaleA, start.gridScaleA);
        }
        if (c.unusable & viewPartDirection) {
            EXPECT_EQ(scene.viewDirHoriz, start.viewDirHoriz);
        }
        // The good parts are used.
        if (!(c.unusable & viewPartGlobes)) {
            EXPECT_EQ(scene.globeScale, 10);
        }
        if (!(c.unusable & viewPartFollow)) {
            EXPECT_EQ(scene.followBody, 4);
        }
    }
    // A link without its version, of another one, or cut off where it was read, is not used.
    for (const std::string link : {"time=10", "v=2&time=10", "v=1<b>&time=10", "v=1&time=10"}) {
        SCOPED_TRACE(link);
        startScene();
        SharedView view = currentView();
        const bool cut = link == "v=1&time=10";
        const std::uint32_t unusable = parseView(link.data(), link.size(), cut, view);
        EXPECT_EQ(unusable & viewPartTime, viewPartTime);
        EXPECT_EQ(view.timeScale, 1);
    }
}

// The setter refuses what the parser would, so no caller can put a value out of range in.
TEST_F(ViewLink, SetterRefusesValuesOutOfRange) {
    const SceneState start = scene;
    SharedView view = currentView();
    view.timeScale = 20;
    view.eye.y = NAN;
    view.gridScaleA = -1;
    view.elapsed = INFINITY;
    view.followBody = 10;
    EXPECT_EQ(applyView(view, viewSettings),
              viewPartTime | viewPartEye | viewPartGrids | viewPartElapsed | viewPartFollow);
    EXPECT_EQ(scene.timeScale, start.timeScale);
    EXPECT_TRUE(sameVec(scene.eye, start.eye));
    EXPECT_EQ(scene.gridScaleA, start.gridScaleA);
    EXPECT_EQ(scene.followBody, -1);
}

}  // namespace
