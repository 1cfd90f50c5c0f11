// Whole frames: the order of their steps with and without a followed and a viewed planet, the
// matrix stack they leave, where the followed planet and the grids land in the world, and the
// shapes and colours one frame of the start scene holds.
#include "render/frame.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <vector>

#include "app/callbacks.h"
#include "camera/navigation.h"
#include "model/body_position.h"
#include "model/scene_state.h"
#include "render/bodies.h"
#include "render/primitives.h"
#include "render/reference_frame.h"
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
    glrec::reset();
    displayFrame();
    return recorded();
}

bool sameCall(const Call& a, const Call& b) {
    if (a.fn != b.fn || a.argCount != b.argCount) {
        return false;
    }
    for (int i = 0; i < a.argCount; ++i) {
        if (a.args[i] != b.args[i]) {
            return false;
        }
    }
    return true;
}

void expectSameCalls(const std::vector<Call>& actual, const std::vector<Call>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_TRUE(sameCall(actual[i], expected[i]))
            << "call " << i << ": " << glrec::fnName(actual[i].fn) << " where "
            << glrec::fnName(expected[i].fn) << " was expected";
    }
}

// World coordinates of an eye-space point, for the rigid look-at matrix `look`.
glrec::Point3 toWorld(const glrec::Mat4& look, glrec::Point3 e) {
    const double d[3] = {e.x - look[12], e.y - look[13], e.z - look[14]};
    double w[3];
    for (int i = 0; i < 3; ++i) {
        w[i] = look[i * 4 + 0] * d[0] + look[i * 4 + 1] * d[1] + look[i * 4 + 2] * d[2];
    }
    return {w[0], w[1], w[2]};
}

// The matrix right after gluLookAt, as seen by the call that follows it.
glrec::Mat4 lookAtMatrix(const std::vector<Call>& calls) {
    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
        if (calls[i].fn == Fn::LookAt) {
            return calls[i + 1].modelview;
        }
    }
    ADD_FAILURE() << "no gluLookAt";
    return {};
}

// Index of the sphere of slot k's planet marker: per slot the level marker and the star, then
// the planet marker and one globe per moon-list entry.
std::size_t planetMarkerSphere(int slot) {
    std::size_t index = 0;
    for (int j = 0; j < slot; ++j) {
        index += 3 + moonCounts[j];
    }
    return index + 2;
}

using Frame = StartSceneTest;

TEST_F(Frame, StartSceneFrameBeginsWithClearAndCameraAndEndsWithSwap) {
    const std::vector<Call> calls = recordFrame();
    ASSERT_GE(calls.size(), 6u);
    EXPECT_TRUE(callIs(calls[0], Fn::Clear, {GL_COLOR_BUFFER_BIT}));
    EXPECT_EQ(calls[1].fn, Fn::Color3f);
    EXPECT_TRUE(isColor(calls[1].color, 1, 1, 1));
    EXPECT_EQ(calls[2].fn, Fn::PushMatrix);
    EXPECT_TRUE(callIs(calls[3], Fn::LookAt, {0, 1e7, 1e7, 0, 0, 0, 0, 1, 0}));
    EXPECT_EQ(calls[calls.size() - 2].fn, Fn::PopMatrix);
    EXPECT_EQ(calls.back().fn, Fn::SwapBuffers);
    EXPECT_EQ(glrec::counts().of(Fn::SwapBuffers), 1);
    EXPECT_EQ(glrec::counts().of(Fn::Clear), 1);
}

TEST_F(Frame, StepsComeInOrderWithEitherBothOrNeitherSelection) {
    runSomeWeeks();
    const int selections[4][2] = {{-1, -1}, {3, -1}, {-1, 9}, {5, 2}};
    for (const auto& selection : selections) {
        SCOPED_TRACE(testing::Message() << "follow " << selection[0] << " view " << selection[1]);
        scene.followBody = selection[0];
        scene.viewBody = selection[1];
        // An offset left from elsewhere: a followed frame must replace it before drawing.
        scene.followOffset = Vec3{1e8, -2e7, 3e6};
        const Vec3 stale = scene.followOffset;
        const std::vector<Call> frame = recordFrame();

        glrec::reset();
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1, 1, 1);
        if (scene.followBody != -1) {
            followPlanet(scene.followBody);
        }
        glPushMatrix();
        gluLookAt(static_cast<double>(scene.eye.x), static_cast<double>(scene.eye.y),
                  static_cast<double>(scene.eye.z), 0, 0, 0, 0, 1, 0);
        drawReferenceFrame();
        if (scene.viewBody != -1) {
            const BodyRecord& v = scene.planets[scene.viewBody];
            tiltPlane(v.orbitNode, -v.orbitInclination);
        }
        drawAllSlots();
        glPopMatrix();
        glutSwapBuffers();
        expectSameCalls(frame, recorded());

        if (selection[0] == -1) {
            EXPECT_TRUE(sameVec(scene.followOffset, stale));  // kept while nothing is followed
        } else {
            const Vec3 p = planetScenePosition(selection[0]);
            EXPECT_TRUE(sameVec(scene.followOffset,
                                Vec3{p.x, p.y, p.z + scene.levels[selection[0]].orbitRadius}));
        }
    }
}

TEST_F(Frame, FollowAddsNoCallsAndViewAddsItsTiltRightAfterTheReferenceFrame) {
    runSomeWeeks();
    const std::vector<Call> plain = recordFrame();
    scene.followBody = 4;
    const std::vector<Call> followed = recordFrame();
    ASSERT_EQ(followed.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        ASSERT_EQ(followed[i].fn, plain[i].fn) << i;
    }

    scene.followBody = -1;
    scene.followOffset = Vec3{};  // unfollowing keeps the offset; start over from the plain frame
    scene.viewBody = 9;           // Pluto: node 0, inclination 17.16
    const std::vector<Call> viewed = recordFrame();
    ASSERT_EQ(viewed.size(), plain.size() + 3);
    // The reference frame ends with the first pop back to the frame's own depth (2).
    std::size_t tilt = 0;
    int depth = 1;
    for (std::size_t i = 0; i < plain.size() && tilt == 0; ++i) {
        depth += plain[i].fn == Fn::PushMatrix ? 1 : plain[i].fn == Fn::PopMatrix ? -1 : 0;
        if (plain[i].fn == Fn::PopMatrix && depth == 2) {
            tilt = i + 1;
        }
    }
    ASSERT_GT(tilt, 4u);
    EXPECT_TRUE(callIs(viewed[tilt], Fn::Rotated, {-90, 0, 1, 0}));
    EXPECT_TRUE(callIs(viewed[tilt + 1], Fn::Rotated, {-17.16, 1, 0, 0}));
    EXPECT_TRUE(callIs(viewed[tilt + 2], Fn::Rotated, {-90, 0, -1, 0}));
    // Apart from the tilt the calls are the same; before it, even in eye space.
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const Call& v = viewed[i < tilt ? i : i + 3];
        ASSERT_TRUE(sameCall(v, plain[i])) << i;
        if (i < tilt) {
            ASSERT_TRUE(pointNear(v.eye, plain[i].eye, 0)) << i;
        }
    }
}

TEST_F(Frame, LeavesTheMatrixStackAsItFoundIt) {
    runSomeWeeks();
    const int selections[4][2] = {{-1, -1}, {3, -1}, {-1, 9}, {9, 1}};
    for (const auto& selection : selections) {
        SCOPED_TRACE(testing::Message() << "follow " << selection[0] << " view " << selection[1]);
        scene.followBody = selection[0];
        scene.viewBody = selection[1];
        const glrec::Mat4 before = startFromSomeFrame();
        displayFrame();
        EXPECT_TRUE(stackRestored(before));
        EXPECT_EQ(glrec::counts().of(Fn::PushMatrix), glrec::counts().of(Fn::PopMatrix));
        // Deepest nesting: frame, planet system, moon entry, spinning globe.
        EXPECT_EQ(glrec::counts().maxModelviewDepth, 5);
        EXPECT_TRUE(isColor(glrec::color(), 1, 1, 1));
    }
}

TEST_F(Frame, FollowedPlanetIsDrawnAtTheLookAtPoint) {
    runSomeWeeks();
    const int cases[4][2] = {{1, -1}, {3, -1}, {5, 2}, {9, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        scene.followBody = c[0];
        scene.viewBody = c[1];
        const std::vector<Call> calls = recordFrame();
        const Call marker = callsOf(calls, Fn::WireSphere).at(planetMarkerSphere(c[0]));
        EXPECT_EQ(marker.args[0], 100.0);
        EXPECT_TRUE(pointNear(toWorld(lookAtMatrix(calls), marker.eye), {0, 0, 0}, 1e-6));
    }
}

TEST_F(Frame, GridsStayFlatAndCentredWhileTheBodiesAreTilted) {
    runSomeWeeks();
    scene.followBody = 4;
    scene.viewBody = 9;
    const std::vector<Call> calls = recordFrame();
    const glrec::Mat4 look = lookAtMatrix(calls);
    const double extents[2] = {static_cast<double>(scene.gridExtentA),
                               static_cast<double>(scene.gridExtentB)};
    int redVertices = 0;
    double low[2] = {0, 0};
    double high[2] = {0, 0};
    for (const Call& call : calls) {
        if (call.fn != Fn::Vertex2d || !isColor(call.color, 1, 0, 0)) {
            continue;
        }
        const int grid = redVertices < 44 ? 0 : 1;
        ++redVertices;
        const glrec::Point3 w = toWorld(look, call.eye);
        const double tolerance = 1e-12 * extents[grid];
        EXPECT_NEAR(w.y, 0, tolerance);
        EXPECT_NEAR(w.x, call.args[0], tolerance);
        EXPECT_NEAR(w.z, call.args[1], tolerance);
        low[grid] = std::min({low[grid], w.x, w.z});
        high[grid] = std::max({high[grid], w.x, w.z});
    }
    EXPECT_EQ(redVertices, 88);
    for (int grid = 0; grid < 2; ++grid) {
        EXPECT_NEAR(low[grid], -extents[grid] / 2, 1e-6 * extents[grid]);
        EXPECT_NEAR(high[grid], extents[grid] / 2, 1e-6 * extents[grid]);
    }
    // Meanwhile the tilted bodies leave the plane: Pluto's orbit ring rises and falls.
    double lowestY = 0;
    double highestY = 0;
    for (const Call& call : calls) {
        if (call.fn == Fn::Vertex3d) {
            const glrec::Point3 w = toWorld(look, call.eye);
            lowestY = std::min(lowestY, w.y);
            highestY = std::max(highestY, w.y);
        }
    }
    EXPECT_GT(highestY - lowestY, 1e9);
}

TEST_F(Frame, StartSceneHoldsTheShapesTheTableCallsFor) {
    // From the start-up table: ten slots, the moon-list counts above, one shell alive.
    const int slots = 10;
    int moonEntries = 0;
    for (int count : moonCounts) {
        moonEntries += count;
    }
    ASSERT_EQ(moonEntries, 14);
    const int liveShells = 1;
    const int orbitRings = 2 * slots + moonEntries;  // star and planet orbit, one per entry
    const int rings360 = slots + 2 * liveShells;     // slot markers; shell and its centre
    const int rings100 = slots;                      // green planet rings
    const int rings20 = 1;                           // the reference ring
    const int squares = 1;                           // the reference square
    const int gridLines = 2 * 22;                    // two-vertex loops
    const int spheres = 3 * slots + moonEntries;     // level marker, star, planet marker
    const int radiusLines = orbitRings;              // one per orbit ring

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
    const std::map<int, int> expectedLoops = {{1000, orbitRings}, {360, rings360}, {100, rings100},
                                              {20, rings20},      {4, squares},    {2, gridLines}};
    EXPECT_EQ(loops, expectedLoops);
    EXPECT_EQ(lines, radiusLines);
    EXPECT_EQ(glrec::counts().of(Fn::WireSphere), spheres);
    EXPECT_EQ(glrec::counts().of(Fn::WireTorus), 0);
    EXPECT_EQ(glrec::counts().vertices, 1000 * orbitRings + 360 * rings360 + 100 * rings100 +
                                            20 * rings20 + 4 * squares + 2 * gridLines +
                                            2 * radiusLines);
}

TEST_F(Frame, StartSceneColours) {
    const std::vector<Call> calls = recordFrame();
    // Stars yellow, everything else of the bodies white, planets' rings green, grids red.
    std::vector<bool> starSphere(planetMarkerSphere(10) - 2, false);
    for (int k = 0; k < 10; ++k) {
        starSphere[planetMarkerSphere(k) - 1] = true;  // just before the planet's marker
    }
    std::size_t sphere = 0;
    for (const Call& call : calls) {
        if (call.fn == Fn::WireSphere) {
            ASSERT_LT(sphere, starSphere.size());
            EXPECT_TRUE(starSphere[sphere] ? isColor(call.color, 1, 1, 0)
                                           : isColor(call.color, 1, 1, 1))
                << "sphere " << sphere;
            ++sphere;
        }
    }
    EXPECT_EQ(sphere, starSphere.size());
    std::map<int, int> yellowShapes;
    for (const Shape& shape : shapesOf(calls)) {
        const glrec::Color c = shape.color;
        if (shape.vertices == 100) {
            EXPECT_TRUE(isColor(c, 0.5, 1, 0.5));
        } else if (shape.vertices == 2 && shape.mode == GL_LINE_LOOP) {
            EXPECT_TRUE(isColor(c, 1, 0, 0));
        } else if (isColor(c, 1, 1, 0)) {
            ++yellowShapes[shape.mode * 10000 + shape.vertices];
        } else {
            EXPECT_TRUE(isColor(c, 1, 1, 1)) << shape.vertices;
        }
    }
    // Yellow: each star's orbit ring and radius line, the shell and its centre ring.
    const std::map<int, int> expectedYellow = {{GL_LINE_LOOP * 10000 + 1000, 10},
                                               {GL_LINES * 10000 + 2, 10},
                                               {GL_LINE_LOOP * 10000 + 360, 2}};
    EXPECT_EQ(yellowShapes, expectedYellow);
    // Each coloured part is followed by white: after the frame's own white the colour calls
    // alternate, one pair for the shells, each star, each green ring and each grid.
    std::vector<glrec::Color> colours;
    for (const Call& call : calls) {
        if (call.fn == Fn::Color3f) {
            colours.push_back(call.color);
        }
    }
    ASSERT_EQ(colours.size(), 1u + 2 * (1 + 10 + 10 + 2));
    for (std::size_t i = 0; i < colours.size(); ++i) {
        EXPECT_EQ(i % 2 == 0, isColor(colours[i], 1, 1, 1)) << "colour call " << i;
    }
}

TEST_F(Frame, NothingIsEverEnabled) {
    enableCalls = 0;
    onReshape(1024, 768);
    runSomeWeeks();
    const int selections[3][2] = {{-1, -1}, {3, 9}, {0, 6}};
    for (const auto& selection : selections) {
        scene.followBody = selection[0];
        scene.viewBody = selection[1];
        displayFrame();
    }
    EXPECT_EQ(enableCalls, 0);
}

}  // namespace
