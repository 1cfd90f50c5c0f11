// Whole frames: their first and last steps, the tilt a viewed planet adds, the matrix stack they
// leave, where the followed planet and the grids land in the world, and the shapes and colours
// one frame of the start scene holds.
#include "render/frame.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <vector>

#include "app/callbacks.h"
#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

// The program must never enable anything (depth test, lighting, blending). The recorder does not
// provide glEnable, so a weak definition here lets the tests link even if the program called it,
// and counts such calls.
namespace {
int enableCalls = 0;
}
extern "C" __attribute__((weak)) void GLAPIENTRY glEnable(GLenum) {
    ++enableCalls;
}

namespace {

using glrec::Call;
using glrec::Fn;

// Used entries of each slot's moon list in the start-up table (the planet's globe counts).
constexpr int moonCounts[10] = {0, 2, 1, 2, 3, 1, 1, 1, 1, 2};

std::vector<Call> recordFrame() {
    return recordOf(displayFrame);
}

// World coordinates of an eye-space point: the inverse of the rigid matrix right after gluLookAt.
glrec::Point3 toWorld(const std::vector<Call>& frame, glrec::Point3 e) {
    const auto lookAt =
        std::find_if(frame.begin(), frame.end(), [](const Call& c) { return c.fn == Fn::LookAt; });
    const glrec::Mat4& m = (lookAt + 1)->modelview;
    const double d[3] = {e.x - m[12], e.y - m[13], e.z - m[14]};
    auto row = [&](int i) { return m[i * 4] * d[0] + m[i * 4 + 1] * d[1] + m[i * 4 + 2] * d[2]; };
    return {row(0), row(1), row(2)};
}

// Index among the frame's spheres of slot k's planet marker: per slot the level marker and the
// star, then the planet marker and one globe per moon-list entry.
std::size_t planetMarkerSphere(int slot) {
    std::size_t index = 2;
    for (int j = 0; j < slot; ++j) {
        index += 3 + moonCounts[j];
    }
    return index;
}

using Frame = StartSceneTest;

TEST_F(Frame, StartSceneFrameBeginsWithClearAndCameraAndEndsWithSwap) {
    const std::vector<Call> calls = recordFrame();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_TRUE(callIs(calls[0], Fn::Clear, {GL_COLOR_BUFFER_BIT}));
    EXPECT_TRUE(callIs(calls[1], Fn::Color3f, {1, 1, 1}));
    EXPECT_EQ(calls[2].fn, Fn::PushMatrix);
    EXPECT_TRUE(callIs(calls[3], Fn::LookAt, {0, 1e7, 1e7, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(calls[calls.size() - 2].fn, Fn::PopMatrix);
    EXPECT_EQ(calls.back().fn, Fn::SwapBuffers);
    EXPECT_EQ(glrec::counts().of(Fn::SwapBuffers), 1);
    EXPECT_EQ(glrec::counts().of(Fn::Clear), 1);
}

// Following adds no call. Viewing Pluto (node 0, inclination 17.16) adds its tilt, reversed, right
// after the reference frame, which ends with the first pop back to the frame's own depth (2).
TEST_F(Frame, ViewAddsItsTiltRightAfterTheReferenceFrame) {
    runSomeWeeks();
    const std::vector<Call> plain = recordFrame();
    scene.followBody = 4;
    const std::vector<Call> followed = recordFrame();
    ASSERT_EQ(followed.size(), plain.size());
    scene.followBody = -1;
    scene.followOffset = Vec3{};
    scene.viewBody = 9;
    const std::vector<Call> viewed = recordFrame();
    ASSERT_EQ(viewed.size(), plain.size() + 3);
    std::size_t tilt = 0;  // just after the pop that brings the depth back to 2
    for (int depth = 1; tilt < plain.size() && (depth != 2 || plain[tilt - 1].fn != Fn::PopMatrix);
         ++tilt) {
        depth += plain[tilt].fn == Fn::PushMatrix ? 1 : plain[tilt].fn == Fn::PopMatrix ? -1 : 0;
    }
    ASSERT_GT(tilt, 4u);
    EXPECT_TRUE(callIs(viewed[tilt], Fn::Rotated, {-90, 0, 1, 0}));
    EXPECT_TRUE(callIs(viewed[tilt + 1], Fn::Rotated, {-17.16, 1, 0, 0}));
    EXPECT_TRUE(callIs(viewed[tilt + 2], Fn::Rotated, {-90, 0, -1, 0}));
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(followed[i].fn, plain[i].fn) << i;
        const Call& v = viewed[i < tilt ? i : i + 3];
        ASSERT_EQ(v.fn, plain[i].fn) << i;
        for (int a = 0; a < v.argCount; ++a) {
            ASSERT_EQ(v.args[a], plain[i].args[a]) << i;
        }
        if (i < tilt) {
            ASSERT_TRUE(pointNear(v.eye, plain[i].eye, 0)) << i;
        }
    }
}

// Deepest nesting: frame, planet system, moon entry, spinning globe.
TEST_F(Frame, LeavesTheMatrixStackAndColourAsItFoundThem) {
    runSomeWeeks();
    for (const auto& [follow, view] : {std::pair{-1, -1}, {3, -1}, {-1, 9}, {9, 1}}) {
        SCOPED_TRACE(testing::Message() << "follow " << follow << " view " << view);
        scene.followBody = follow;
        scene.viewBody = view;
        const glrec::Mat4 before = startFromSomeFrame();
        displayFrame();
        EXPECT_TRUE(stackRestored(before));
        EXPECT_EQ(glrec::counts().maxModelviewDepth, 5);
        EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
    }
}

TEST_F(Frame, FollowedPlanetIsDrawnAtTheLookAtPoint) {
    runSomeWeeks();
    for (const auto& [follow, view] : {std::pair{1, -1}, {3, -1}, {5, 2}, {9, -1}}) {
        SCOPED_TRACE(follow);
        scene.followBody = follow;
        scene.viewBody = view;
        const std::vector<Call> calls = recordFrame();
        const Call marker = callsOf(calls, Fn::WireSphere).at(planetMarkerSphere(follow));
        EXPECT_EQ(marker.args[0], 100.0);
        EXPECT_TRUE(pointNear(toWorld(calls, marker.eye), {0, 0, 0}, 1e-6));
    }
}

// The grids' vertices (red, 44 per grid) lie flat at their local (x, y), centred on the look-at
// point, while Pluto's tilted orbit ring rises and falls.
TEST_F(Frame, GridsStayFlatAndCentredWhileTheBodiesAreTilted) {
    runSomeWeeks();
    scene.followBody = 4;
    scene.viewBody = 9;
    const std::vector<Call> calls = recordFrame();
    const double extents[2] = {static_cast<double>(scene.gridExtentA),
                               static_cast<double>(scene.gridExtentB)};
    int red = 0;
    double low[2] = {0, 0};
    double high[2] = {0, 0};
    double lowestY = 0;
    double highestY = 0;
    for (const Call& call : calls) {
        const glrec::Point3 w = toWorld(calls, call.eye);
        if (call.fn == Fn::Vertex3d) {
            lowestY = std::min(lowestY, w.y);
            highestY = std::max(highestY, w.y);
        } else if (call.fn == Fn::Vertex2d && isColor(call.color, 1, 0, 0)) {
            const int grid = red++ < 44 ? 0 : 1;
            EXPECT_TRUE(pointNear(w, {call.args[0], 0, call.args[1]}, 1e-12 * extents[grid]));
            low[grid] = std::min({low[grid], w.x, w.z});
            high[grid] = std::max({high[grid], w.x, w.z});
        }
    }
    EXPECT_EQ(red, 88);
    for (int grid = 0; grid < 2; ++grid) {
        EXPECT_NEAR(low[grid], -extents[grid] / 2, 1e-6 * extents[grid]);
        EXPECT_NEAR(high[grid], extents[grid] / 2, 1e-6 * extents[grid]);
    }
    EXPECT_GT(highestY - lowestY, 1e9);
}

// Ten slots with 14 moon-list entries and one live shell: 1000-segment orbit rings for each star,
// planet and entry, each with its two-vertex radius line; 360-segment slot markers, the shell and
// its centre ring; the planets' 100-segment rings; the reference ring, square and grid lines.
TEST_F(Frame, StartSceneHoldsTheShapesTheTableCallsFor) {
    const std::vector<Call> calls = recordFrame();
    std::map<int, int> loops;
    int lines = 0;
    for (const Shape& shape : shapesOf(calls)) {
        if (shape.mode == GL_LINE_LOOP) {
            ++loops[shape.vertices];
        } else {
            ASSERT_EQ(shape.mode, GL_LINES);
            EXPECT_EQ(shape.vertices, 2);
            ++lines;
        }
    }
    const int orbits = 2 * 10 + 14;
    EXPECT_EQ(loops, (std::map<int, int>{
                         {1000, orbits}, {360, 10 + 2}, {100, 10}, {20, 1}, {4, 1}, {2, 44}}));
    EXPECT_EQ(lines, orbits);
    EXPECT_EQ(glrec::counts().of(Fn::WireSphere), 3 * 10 + 14);
    EXPECT_EQ(glrec::counts().of(Fn::WireTorus), 0);
}

// Stars yellow, the planets' rings green, the grids red, everything else white; each coloured
// part is followed by white (one pair for the shells, each star, each green ring and each grid).
TEST_F(Frame, StartSceneColours) {
    const std::vector<Call> calls = recordFrame();
    const std::vector<Call> spheres = callsOf(calls, Fn::WireSphere);
    for (std::size_t i = 0; i < spheres.size(); ++i) {
        bool star = false;  // just before a planet's marker
        for (int k = 0; k < 10; ++k) {
            star = star || i + 1 == planetMarkerSphere(k);
        }
        EXPECT_TRUE(isColor(spheres[i].color, 1, 1, star ? 0 : 1)) << "sphere " << i;
    }
    std::map<int, int> yellow;
    for (const Shape& shape : shapesOf(calls)) {
        const glrec::Color c = shape.color;
        if (shape.vertices == 100) {
            EXPECT_TRUE(isColor(c, 0.5, 1, 0.5));
        } else if (shape.vertices == 2 && shape.mode == GL_LINE_LOOP) {
            EXPECT_TRUE(isColor(c, 1, 0, 0));
        } else if (isColor(c, 1, 1, 0)) {
            ++yellow[shape.mode * 10000 + shape.vertices];
        } else {
            EXPECT_TRUE(isColor(c, 1, 1, 1)) << shape.vertices;
        }
    }
    // Each star's orbit ring and radius line, the shell and its centre ring.
    EXPECT_EQ(yellow, (std::map<int, int>{{GL_LINE_LOOP * 10000 + 1000, 10},
                                          {GL_LINES * 10000 + 2, 10},
                                          {GL_LINE_LOOP * 10000 + 360, 2}}));
    const std::vector<Call> colours = callsOf(calls, Fn::Color3f);
    ASSERT_EQ(colours.size(), 1u + 2 * (1 + 10 + 10 + 2));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        EXPECT_EQ(i % 2 == 0, isColor(colours[i].color, 1, 1, 1)) << "colour call " << i;
    }
}

TEST_F(Frame, NothingIsEverEnabled) {
    enableCalls = 0;
    onReshape(1024, 768);
    runSomeWeeks();
    for (const auto& [follow, view] : {std::pair{-1, -1}, {3, 9}, {0, 6}}) {
        scene.followBody = follow;
        scene.viewBody = view;
        displayFrame();
    }
    EXPECT_EQ(enableCalls, 0);
}

}  // namespace
