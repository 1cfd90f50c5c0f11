// The application's own callbacks: the projection set on every reshape, and the idle tick that
// moves the simulation and asks for a frame but never draws.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>

#include "app/callbacks.h"
#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Fn;

// The viewport and the aspect, a floating quotient, follow the size; a window with no height
// takes its aspect from a height of one pixel. The far plane is 10^13 - 1.
TEST(WindowReshape, SetsViewportAndA90DegreePerspectiveThenReturnsToModelview) {
    struct Size {
        int width, height;
        double aspect;
    };
    for (const Size& s : {Size{1024, 768, 4.0 / 3.0}, Size{300, 600, 0.5},
                          Size{1000, 3, 1000.0 / 3}, Size{800, 0, 800}, Size{0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << s.width << " x " << s.height);
        const std::vector<glrec::Call> calls = recordOf([&s] { onReshape(s.width, s.height); });
        ASSERT_EQ(calls.size(), 5u);
        EXPECT_TRUE(callIs(calls[0], Fn::Viewport, {0, 0, 1. * s.width, 1. * s.height}));
        EXPECT_TRUE(callIs(calls[1], Fn::MatrixMode, {GL_PROJECTION}));
        EXPECT_TRUE(callIs(calls[2], Fn::LoadIdentity, {}));
        EXPECT_TRUE(callIs(calls[3], Fn::Perspective, {90, s.aspect, 1, 9999999999999.0}));
        EXPECT_TRUE(callIs(calls[4], Fn::MatrixMode, {GL_MODELVIEW}));
        EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
    }
}

using IdleTick = StartSceneTest;  // test clock at 0

TEST_F(IdleTick, RequestsOneRedisplayAndDrawsNothing) {
    for (std::int32_t ms : {0, 16, 60000}) {  // the last tick also emits a shell
        const std::vector<glrec::Call> calls = recordOf([ms] { idleAfter(ms); });
        ASSERT_EQ(calls.size(), 1u) << "after " << ms << " ms";
        EXPECT_EQ(calls[0].fn, Fn::PostRedisplay);
    }
    EXPECT_EQ(scene.shellCount, 2);
}

// The shell update sees this tick's 60 s, and every body this tick's 59.984 s step.
TEST_F(IdleTick, ShellsAndBodiesUseTheClockOfTheSameTick) {
    testClockMs = 16;
    onIdle();
    testClockMs = 60000;
    onIdle();
    EXPECT_EQ(scene.shellCount, 2);
    EXPECT_EQ(scene.frameStep, 59.984);
    const long double earthRate = 1.141e-05;
    EXPECT_EQ(scene.planets[3].orbitAngle, earthRate * 0.016 + earthRate * 59.984);
    EXPECT_NEAR(static_cast<double>(scene.lightShells[0].age), 60.0, 1e-12);
}

}  // namespace
