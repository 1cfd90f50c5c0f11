// The reference frame at the look-at centre: the white ring and square and the two red grids,
// whose line positions come from repeated addition in extended precision.
#include "render/reference_frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Call;
using glrec::Fn;

constexpr std::size_t gridCallCount = 1 + 1 + 22 * 4 + 1 + 1;  // colour, push, lines, colour, pop

// Checks one grid's calls from `first`: red, pushed, eleven lines each way from -half to +half at
// positions accumulated by repeated addition of a tenth of the extent, then white and popped.
void expectGrid(const std::vector<Call>& calls, std::size_t first, long double extent) {
    ASSERT_GE(calls.size(), first + gridCallCount);
    const double half = static_cast<double>(extent * 0.5);
    const double minusHalf = static_cast<double>(extent * 0.5 * (-1));
    EXPECT_TRUE(callIs(calls[first], Fn::Color3f, {1, 0, 0}));
    EXPECT_EQ(calls[first + 1].fn, Fn::PushMatrix);
    std::size_t i = first + 2;
    for (int direction = 0; direction < 2; ++direction) {
        long double x = extent * (-0.5);
        for (int line = 0; line < 11; ++line, i += 4, x = x + extent * 0.1) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " line " << line);
            const double at = static_cast<double>(x);
            ASSERT_TRUE(callIs(calls[i], Fn::Begin, {GL_LINE_LOOP}));
            EXPECT_TRUE(callIs(calls[i + 1], Fn::Vertex2d,
                               direction == 0 ? std::initializer_list<double>{at, half}
                                              : std::initializer_list<double>{half, at}));
            EXPECT_TRUE(callIs(calls[i + 2], Fn::Vertex2d,
                               direction == 0 ? std::initializer_list<double>{at, minusHalf}
                                              : std::initializer_list<double>{minusHalf, at}));
            EXPECT_EQ(calls[i + 3].fn, Fn::End);
        }
    }
    EXPECT_TRUE(callIs(calls[i], Fn::Color3f, {1, 1, 1}));
    EXPECT_EQ(calls[i + 1].fn, Fn::PopMatrix);
}

// The start-up extents, one from an odd integer, and a tiny one. Start-up grid A's middle line
// misses the centre by the rounding of five additions, and grid 1025's last line lands past the
// border at +half, where recomputing each line would put it: a drawing that recomputes shows.
TEST(DrawGrid, ElevenLinesEachWayAtAccumulatedPositionsInRed) {
    startScene();
    for (long double extent : {scene.gridExtentA, scene.gridExtentB, static_cast<long double>(1025),
                               static_cast<long double>(0.002)}) {
        SCOPED_TRACE(static_cast<double>(extent));
        const glrec::Mat4 before = startFromSomeFrame();
        drawGrid(extent);
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), gridCallCount);
        expectGrid(calls, 0, extent);
        EXPECT_TRUE(stackRestored(before));
    }
    const double middle = recordOf([] { drawGrid(scene.gridExtentA); })[2 + 5 * 4 + 1].args[0];
    EXPECT_NE(middle, 0.0);
    EXPECT_LT(std::abs(middle), 1e-7);
    EXPECT_GT(recordOf([] { drawGrid(1025); })[2 + 10 * 4 + 1].args[0], 512.5);
}

// A white 20-segment ring of radius 100 in y = 0, then (turned by 90 degrees about x so local
// (x, y) lies at world (x, 0, y)) the white 50 km square and grids A and B.
TEST(DrawReferenceFrame, RingSquareAndBothGridsInTheXZPlane) {
    startScene();
    drawReferenceFrame();
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 1 + 22 + 1 + 6 + 2 * gridCallCount + 1);
    EXPECT_EQ(calls[0].fn, Fn::PushMatrix);
    EXPECT_TRUE(callIs(calls[1], Fn::Begin, {GL_LINE_LOOP}));
    for (std::size_t i = 2; i < 22; ++i) {
        ASSERT_EQ(calls[i].fn, Fn::Vertex3d);
        EXPECT_NEAR(std::hypot(calls[i].eye.x, calls[i].eye.z), 100, 1e-12);
        EXPECT_EQ(calls[i].eye.y, 0.0);
        EXPECT_TRUE(isColor(calls[i].color, 1, 1, 1));
    }
    EXPECT_TRUE(callIs(calls[22], Fn::End, {}));
    EXPECT_TRUE(callIs(calls[23], Fn::Rotated, {90, 1, 0, 0}));
    EXPECT_TRUE(callIs(calls[24], Fn::Begin, {GL_LINE_LOOP}));
    const double corners[4][2] = {{-25, -25}, {-25, 25}, {25, 25}, {25, -25}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_TRUE(callIs(calls[25 + c], Fn::Vertex2d, {corners[c][0], corners[c][1]}));
        EXPECT_TRUE(isColor(calls[25 + c].color, 1, 1, 1));
    }
    EXPECT_EQ(calls[29].fn, Fn::End);
    expectGrid(calls, 30, scene.gridExtentA);
    expectGrid(calls, 30 + gridCallCount, scene.gridExtentB);
    for (const Call& v : callsOf(calls, Fn::Vertex2d)) {
        EXPECT_TRUE(pointNear(v.eye, {v.args[0], 0, v.args[1]},
                              1e-16 * static_cast<double>(scene.gridExtentA)));
    }
    EXPECT_EQ(calls.back().fn, Fn::PopMatrix);
    EXPECT_TRUE(stackRestored(identityMatrix));
}

}  // namespace
