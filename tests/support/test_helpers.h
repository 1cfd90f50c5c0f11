// Small helpers the unit tests share: starting a scene, moving the test clock, capturing what a
// call prints, picking calls out of the GL record, and comparing points. Comparisons return an
// AssertionResult, so `EXPECT_TRUE(sameVec(a, b))` reports the failing line and both values.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/scene_state.h"
#include "tests/support/gl_recorder.h"

// Scene and clock ------------------------------------------------------------------------------

// resetScene(), the test clock at startMs, then initScene(): the start-up scene at a known time.
void startScene(std::int32_t startMs = 0);

// Fixture for suites whose every test starts from startScene(0): `using Suite = StartSceneTest;`.
class StartSceneTest : public ::testing::Test {
  protected:
    void SetUp() override { startScene(); }
};

// Moves the test clock on by ms, wrapping like the platform's 32-bit counter (no signed overflow).
void advanceClock(std::uint32_t ms);

// advanceClock(ms), then one idle tick.
void idleAfter(std::uint32_t ms);

// Three idle ticks of 1 s at time scale 1e6 (about five simulated weeks): no angle keeps its
// start value and several shells are live. Leaves timeScale at 1e6.
void runSomeWeeks();

// Every field of a record, as one comparable and printable value.
inline auto fieldsOf(const BodyRecord& r) {
    return std::tuple(r.orbitAngle, r.spinAngle, r.orbitRadius, r.orbitRate, r.spinRate, r.reserved,
                      r.radius, r.orbitNode, r.orbitInclination, r.axisNode, r.axisTilt, r.count);
}

// A record's name for failure messages: "planets[3]", or "moons[3][1]" when j is given.
std::string where(const char* array, int k, int j = -1);

// Calls visit(now, before, name) for every record an idle tick advances (all stars and planets,
// and each planet's used moon-list entries), with its twin in the earlier copy `before`.
void forEachAdvancedRecord(
    const SceneState& before,
    const std::function<void(const BodyRecord&, const BodyRecord&, const std::string&)>& visit);

// Output ---------------------------------------------------------------------------------------

// What `action` writes to stdout. Only the action is captured, so failure messages still show.
template <class Action>
std::string printed(Action action) {
    testing::internal::CaptureStdout();
    action();
    return testing::internal::GetCapturedStdout();
}

// Presses the keys in order through onKeyboard; returns what they printed.
std::string press(std::string_view keys);

// GL record ------------------------------------------------------------------------------------

constexpr glrec::Mat4 identityMatrix = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A copy of the calls recorded so far, which stays valid after the recorder is reset.
std::vector<glrec::Call> recorded();

// glrec::reset(), then `draw`; returns what it recorded.
std::vector<glrec::Call> recordOf(const std::function<void()>& draw);

// The calls of one kind among `calls`, in order.
std::vector<glrec::Call> callsOf(const std::vector<glrec::Call>& calls, glrec::Fn fn);

// Resets the recorder, moves the modelview matrix off the identity (a translation and a rotation)
// and drops the records; returns that matrix. A drawing that resets or leaks a transform shows.
glrec::Mat4 startFromSomeFrame();

// One glBegin ... glEnd: its mode, the index of its glBegin, its vertex count and its colour.
struct Shape {
    int mode;
    std::size_t begin;
    int vertices;
    glrec::Color color;
};
std::vector<Shape> shapesOf(const std::vector<glrec::Call>& calls);

// Distance of a ring vertex from its ring's centre: the length of its (x, z) arguments.
double ringRadius(const glrec::Call& vertex);

bool isColor(glrec::Color c, float r, float g, float b);

// The call is `fn` with exactly these arguments.
testing::AssertionResult callIs(const glrec::Call& call, glrec::Fn fn,
                                std::initializer_list<double> args);

// The modelview matrix is back to `before`, nothing is left pushed and the recorder saw no error.
testing::AssertionResult stackRestored(const glrec::Mat4& before);

// Points and vectors -----------------------------------------------------------------------------

// Every coordinate within tolerance.
testing::AssertionResult pointNear(glrec::Point3 actual, glrec::Point3 expected, double tolerance);
testing::AssertionResult vecNear(const Vec3& actual, const Vec3& expected, long double tolerance);

// Every coordinate exactly equal.
testing::AssertionResult sameVec(const Vec3& actual, const Vec3& expected);
