// The recorder is what every drawing test trusts: its matrix conventions are checked against
// hand-computed cases, its records and counts against known calls, and its error counts, on which
// `glrec::ok()` and so every "no GL misuse" check rests, against deliberate misuse.
#include "tests/support/gl_recorder.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "model/scene_state.h"
#include "sim/clock.h"
#include "tests/support/test_clock.h"
#include "tests/support/test_helpers.h"

namespace {

using glrec::Point3;

class GlRecorder : public ::testing::Test {
  protected:
    void SetUp() override { glrec::reset(); }
};

// The local point lands at this eye-space point under the current modelview matrix.
testing::AssertionResult lands(Point3 local, Point3 eye) {
    return pointNear(glrec::toEye(local), eye, 1e-12);
}

// Counterclockwise about the normalised axis (a third of a turn about (1, 1, 1) cycles the axes);
// a later call acts first on the vertex; gluLookAt (from +x toward the origin, with an up vector
// neither unit nor perpendicular) multiplies onto what is there, like any matrix call.
TEST_F(GlRecorder, MatrixCallsMoveLocalPointsAsOpenGLDoes) {
    glRotated(90, 0, 0, 5);
    EXPECT_TRUE(lands({1, 0, 0}, {0, 1, 0}));
    EXPECT_TRUE(lands({0, 1, 0}, {-1, 0, 0}));
    glrec::reset();
    glRotated(90, 2, 0, 0);
    EXPECT_TRUE(lands({0, 1, 0}, {0, 0, 1}));
    glrec::reset();
    glRotated(90, 0, 1, 0);
    EXPECT_TRUE(lands({0, 0, 1}, {1, 0, 0}));
    glrec::reset();
    glRotated(120, 1, 1, 1);
    EXPECT_TRUE(lands({1, 0, 0}, {0, 1, 0}));
    EXPECT_TRUE(lands({0, 1, 0}, {0, 0, 1}));

    glrec::reset();
    glTranslated(10, 0, 0);
    glRotated(90, 0, 0, 1);
    EXPECT_TRUE(lands({1, 0, 0}, {10, 1, 0}));
    glrec::reset();
    glRotated(90, 0, 0, 1);
    glTranslated(10, 0, 0);
    EXPECT_TRUE(lands({1, 0, 0}, {0, 11, 0}));

    glrec::reset();
    gluLookAt(10, 0, 0, 0, 0, 0, 3, 3, 0);
    EXPECT_TRUE(lands({0, 0, 0}, {0, 0, -10}));
    EXPECT_TRUE(lands({0, 0, 5}, {-5, 0, -10}));
    EXPECT_TRUE(lands({0, 2, 0}, {0, 2, -10}));
    glrec::reset();
    glTranslated(0, 0, -1);
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    EXPECT_TRUE(lands({1, 2, 3}, {1, 2, -8}));
}

TEST_F(GlRecorder, PushPopAndTheProjectionStackKeepTheirOwnMatrices) {
    glTranslated(1, 0, 0);
    glPushMatrix();
    glTranslated(0, 5, 0);
    glPushMatrix();
    glRotated(180, 0, 0, 1);
    EXPECT_EQ(glrec::modelviewDepth(), 3);
    glPopMatrix();
    EXPECT_TRUE(pointNear(glrec::toEye({1, 0, 0}), {2, 5, 0}, 1e-12));
    glPopMatrix();
    EXPECT_TRUE(pointNear(glrec::toEye({1, 0, 0}), {2, 0, 0}, 1e-12));
    // The projection stack and its matrix calls leave the modelview matrix and depth alone.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(90, 4.0 / 3.0, 1, 101);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_TRUE(pointNear(glrec::toEye({1, 0, 0}), {2, 0, 0}, 1e-12));
    EXPECT_EQ(glrec::modelviewDepth(), 1);
    EXPECT_EQ(glrec::counts().maxModelviewDepth, 3);
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
}

// After one misuse: its own count is 1 and ok() is false; then back to a fresh context.
void expectCounted(int glrec::Errors::*count, const char* what) {
    EXPECT_EQ(glrec::errors().*count, 1) << what;
    EXPECT_FALSE(glrec::ok()) << what;
    glrec::reset();
}

// A colour or a vertex is allowed between glBegin and glEnd; a push on a full stack is refused;
// clearRecords forgets the errors.
TEST_F(GlRecorder, EveryKindOfMisuseIsCounted) {
    glPopMatrix();
    expectCounted(&glrec::Errors::stackUnderflow, "pop with nothing pushed");
    for (int i = 0; i < glrec::modelviewStackDepth; ++i) {
        glPushMatrix();
    }
    EXPECT_EQ(glrec::modelviewDepth(), glrec::modelviewStackDepth);
    expectCounted(&glrec::Errors::stackOverflow, "push on a full stack");
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glPushMatrix();
    expectCounted(&glrec::Errors::stackOverflow, "push on the full projection stack");
    glVertex3d(0, 0, 0);
    expectCounted(&glrec::Errors::vertexOutsideBegin, "vertex outside glBegin");
    glEnd();
    expectCounted(&glrec::Errors::endWithoutBegin, "glEnd without glBegin");
    glBegin(GL_LINES);
    glBegin(GL_LINES);
    expectCounted(&glrec::Errors::nestedBegin, "nested glBegin");
    glBegin(GL_LINES);
    glutWireSphere(1, 8, 8);
    glColor3f(1, 0, 0);
    glVertex2d(0, 0);
    EXPECT_TRUE(glrec::insideBegin());
    glEnd();
    EXPECT_FALSE(glrec::insideBegin());
    expectCounted(&glrec::Errors::callInsideBegin, "sphere inside glBegin");
    glBegin(GL_POLYGON + 1);
    expectCounted(&glrec::Errors::badEnum, "unknown primitive");
    glPopMatrix();
    glrec::clearRecords();
    EXPECT_TRUE(glrec::ok());
}

TEST_F(GlRecorder, RecordsCarryArgumentsColourMatrixAndEyePosition) {
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glColor3f(0.5f, 0.25f, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2d(1, 2);
    glVertex3d(1, 2, 3);
    glEnd();
    glTranslated(4, 0, 0);
    glutWireSphere(2.5, 12, 6);

    const auto calls = glrec::records();
    ASSERT_EQ(calls.size(), 8u);
    EXPECT_TRUE(callIs(calls[2], glrec::Fn::Begin, {GL_LINE_LOOP}));
    EXPECT_TRUE(callIs(calls[3], glrec::Fn::Vertex2d, {1, 2}));
    EXPECT_TRUE(pointNear(calls[3].eye, {1, 2, -10}, 1e-12));
    EXPECT_TRUE(isColor(calls[3].color, 0.5f, 0.25f, 1));
    EXPECT_TRUE(pointNear(glrec::transform(calls[3].modelview, {0, 0, 0}), {0, 0, -10}, 1e-12));
    EXPECT_TRUE(pointNear(calls[4].eye, {1, 2, -7}, 1e-12));
    EXPECT_TRUE(callIs(calls[7], glrec::Fn::WireSphere, {2.5, 12, 6}));
    EXPECT_TRUE(pointNear(calls[7].eye, {4, 0, -10}, 1e-12));
    EXPECT_EQ(glrec::counts().vertices, 2);
    EXPECT_EQ(glrec::counts().primitives[GL_LINE_LOOP], 1);

    // clearRecords starts a new frame but keeps the GL state.
    glrec::clearRecords();
    EXPECT_TRUE(glrec::records().empty());
    EXPECT_EQ(glrec::counts().vertices, 0);
    EXPECT_TRUE(pointNear(glrec::toEye({0, 0, 0}), {4, 0, -10}, 1e-12));
}

TEST_F(GlRecorder, CountingModeTalliesWithoutRecording) {
    glrec::setMode(glrec::Mode::Counting);
    for (int i = 0; i < 3; ++i) {
        glBegin(i == 0 ? GL_LINES : GL_LINE_LOOP);
        glVertex3d(0, 0, 0);
        glVertex2d(1, 0);
        glEnd();
    }
    glPushMatrix();
    glutWireSphere(1, 4, 4);
    glPopMatrix();
    EXPECT_TRUE(glrec::records().empty());
    EXPECT_EQ(glrec::counts().vertices, 6);
    EXPECT_EQ(glrec::counts().primitives[GL_LINES], 1);
    EXPECT_EQ(glrec::counts().primitives[GL_LINE_LOOP], 2);
    EXPECT_EQ(glrec::counts().of(glrec::Fn::WireSphere), 1);
    EXPECT_EQ(glrec::counts().maxModelviewDepth, 2);
}

TEST_F(GlRecorder, AFullBufferDropsAndReportsInsteadOfOverrunning) {
    glBegin(GL_POINTS);
    for (std::size_t i = 0; i < glrec::recordCapacity + 9; ++i) {
        glVertex2d(static_cast<double>(i), 0);
    }
    glEnd();
    EXPECT_EQ(glrec::records().size(), glrec::recordCapacity);
    EXPECT_EQ(glrec::errors().dropped, 11);  // ten vertices and the glEnd
    EXPECT_EQ(glrec::records().back().args[0], static_cast<double>(glrec::recordCapacity - 2));
    EXPECT_FALSE(glrec::ok());
}

TEST(TestClock, DrivesTheProgramClockAndResetSceneStartsFresh) {
    scene.timeScale = 1000;
    glTranslated(1, 0, 0);
    resetScene();
    EXPECT_EQ(scene.timeScale, 1.0);
    EXPECT_EQ(glrec::modelview(), identityMatrix);
    EXPECT_EQ(millisecondClock(), 0);
    testClockMs += 16;
    EXPECT_EQ(millisecondClock(), 16);
    useTestClock(-5);
    EXPECT_EQ(millisecondClock(), -5);
}

}  // namespace
