// The reference frame at the look-at centre: the white ring and square and the two red grids,
// whose line positions come from repeated addition in extended precision.
#include "render/reference_frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Call;
using glrec::Fn;

constexpr std::size_t gridCallCount = 1 + 1 + 22 * 4 + 1 + 1;  // colour, push, lines, colour, pop

// Line positions of a grid of side `extent`, accumulated the way the drawing must do it.
std::vector<double> accumulatedLines(long double extent) {
    const long double step = extent * 0.1;
    long double x = extent * (-0.5);
    std::vector<double> lines;
    for (int line = 0; line < 11; ++line) {
        lines.push_back(static_cast<double>(x));
        x = x + step;
    }
    return lines;
}

// The same positions worked out afresh for every line.
double recomputedLine(long double extent, int line) {
    return static_cast<double>(extent * (-0.5) + line * (extent * 0.1));
}

// Checks one grid's calls starting at `first`.
void expectGrid(const std::vector<Call>& calls, std::size_t first, long double extent) {
    ASSERT_GE(calls.size(), first + gridCallCount);
    const std::vector<double> lines = accumulatedLines(extent);
    const double half = static_cast<double>(extent * 0.5);
    const double minusHalf = static_cast<double>(extent * 0.5 * (-1));
    std::size_t i = first;
    EXPECT_EQ(calls[i].fn, Fn::Color3f);
    EXPECT_TRUE(isColor(calls[i].color, 1, 0, 0));  // a colour call records its new colour
    ++i;
    EXPECT_EQ(calls[i++].fn, Fn::PushMatrix);
    for (int direction = 0; direction < 2; ++direction) {
        for (int line = 0; line < 11; ++line) {
            SCOPED_TRACE(testing::Message() << "direction " << direction << " line " << line);
            ASSERT_TRUE(callIs(calls[i], Fn::Begin, {GL_LINE_LOOP}));
            const Call& a = calls[i + 1];
            const Call& b = calls[i + 2];
            ASSERT_EQ(a.fn, Fn::Vertex2d);
            ASSERT_EQ(b.fn, Fn::Vertex2d);
            EXPECT_TRUE(isColor(a.color, 1, 0, 0));
            if (direction == 0) {
                EXPECT_EQ(a.args[0], lines[line]);
                EXPECT_EQ(a.args[1], half);
                EXPECT_EQ(b.args[0], lines[line]);
                EXPECT_EQ(b.args[1], minusHalf);
            } else {
                EXPECT_EQ(a.args[0], half);
                EXPECT_EQ(a.args[1], lines[line]);
                EXPECT_EQ(b.args[0], minusHalf);
                EXPECT_EQ(b.args[1], lines[line]);
            }
            EXPECT_EQ(calls[i + 3].fn, Fn::End);
            i += 4;
        }
    }
    EXPECT_EQ(calls[i].fn, Fn::Color3f);
    EXPECT_TRUE(isColor(calls[i].color, 1, 1, 1));
    EXPECT_EQ(calls[i + 1].fn, Fn::PopMatrix);
}

TEST(DrawGrid, ElevenLinesEachWayAtAccumulatedPositionsInRed) {
    startScene();
    // The start-up extents, one from an odd integer, and a tiny one.
    for (long double extent : {scene.gridExtentA, scene.gridExtentB, static_cast<long double>(1025),
                               static_cast<long double>(0.002)}) {
        SCOPED_TRACE(static_cast<double>(extent));
        const glrec::Mat4 before = startFromSomeFrame();
        drawGrid(extent);
        const std::vector<Call> calls = recorded();
        ASSERT_EQ(calls.size(), gridCallCount);
        expectGrid(calls, 0, extent);
        EXPECT_TRUE(stackRestored(before));
        EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
    }
}

// The accumulated sum is not what recomputing each line would give, so the tests above would
// catch a drawing that recomputes.
TEST(DrawGrid, AccumulatedPositionsDifferFromRecomputedOnes) {
    startScene();
    // Start-up grid A: the middle line misses the centre by the rounding of five additions.
    const long double startA = scene.gridExtentA;
    const std::vector<double> a = accumulatedLines(startA);
    EXPECT_NE(a[5], recomputedLine(startA, 5));
    EXPECT_NE(a[5], 0.0);
    EXPECT_LT(std::abs(a[5]), 1e-7);
    glrec::reset();
    drawGrid(startA);
    EXPECT_EQ(glrec::records()[2 + 5 * 4 + 1].args[0], a[5]);

    // Extent 1025: the last line lands past the border at +half, where recomputing gives it.
    const std::vector<double> b = accumulatedLines(1025);
    EXPECT_EQ(recomputedLine(1025, 10), 512.5);
    EXPECT_GT(b[10], 512.5);
    glrec::reset();
    drawGrid(1025);
    EXPECT_EQ(glrec::records()[2 + 10 * 4 + 1].args[0], b[10]);
    EXPECT_GT(glrec::records()[2 + 10 * 4 + 1].args[0], 512.5);
}

TEST(DrawReferenceFrame, RingSquareAndBothGridsInTheXZPlane) {
    startScene();
    drawReferenceFrame();
    const std::vector<Call> calls = recorded();
    ASSERT_EQ(calls.size(), 1 + 22 + 1 + 6 + 2 * gridCallCount + 1);

    EXPECT_EQ(calls[0].fn, Fn::PushMatrix);
    // The 20-segment ring of radius 100, white, about the origin in y = 0.
    EXPECT_TRUE(callIs(calls[1], Fn::Begin, {GL_LINE_LOOP}));
    for (std::size_t i = 2; i < 22; ++i) {
        ASSERT_EQ(calls[i].fn, Fn::Vertex3d);
        EXPECT_NEAR(std::hypot(calls[i].eye.x, calls[i].eye.z), 100, 1e-12);
        EXPECT_EQ(calls[i].eye.y, 0.0);
        EXPECT_TRUE(isColor(calls[i].color, 1, 1, 1));
    }
    EXPECT_TRUE(callIs(calls[22], Fn::End, {}));
    EXPECT_TRUE(callIs(calls[23], Fn::Rotated, {90, 1, 0, 0}));

    // The white 50 km square: local (x, y) lies at world (x, 0, y).
    EXPECT_TRUE(callIs(calls[24], Fn::Begin, {GL_LINE_LOOP}));
    const double corners[4][2] = {{-25, -25}, {-25, 25}, {25, 25}, {25, -25}};
    for (int c = 0; c < 4; ++c) {
        const Call& v = calls[25 + c];
        EXPECT_TRUE(callIs(v, Fn::Vertex2d, {corners[c][0], corners[c][1]}));
        EXPECT_TRUE(pointNear(v.eye, {corners[c][0], 0, corners[c][1]}, 1e-12));
        EXPECT_TRUE(isColor(v.color, 1, 1, 1));
    }
    EXPECT_EQ(calls[29].fn, Fn::End);

    // Grid A, then grid B, each laid in the XZ plane.
    expectGrid(calls, 30, scene.gridExtentA);
    expectGrid(calls, 30 + gridCallCount, scene.gridExtentB);
    for (const Call& v : callsOf(calls, Fn::Vertex2d)) {
        EXPECT_TRUE(pointNear(v.eye, {v.args[0], 0, v.args[1]},
                              1e-16 * static_cast<double>(scene.gridExtentA)));
    }
    EXPECT_EQ(calls.back().fn, Fn::PopMatrix);
    EXPECT_TRUE(stackRestored(identityMatrix));
    EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
}

}  // namespace
