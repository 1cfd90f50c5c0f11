// The recorder is what every drawing test trusts, so its matrix conventions are checked against
// hand-computed cases, and its fault detection against deliberate misuse.
#include "tests/support/gl_recorder.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "model/scene_state.h"
#include "sim/clock.h"
#include "tests/support/test_clock.h"

namespace {

constexpr double tolerance = 1e-12;

void expectPoint(glrec::Point3 actual, double x, double y, double z) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

class GlRecorder : public ::testing::Test {
  protected:
    void SetUp() override { glrec::reset(); }
};

TEST_F(GlRecorder, RotationIsCounterclockwiseAboutANormalisedAxis) {
    glRotated(90, 0, 0, 5);  // axis length 5: must act as the unit z axis
    expectPoint(glrec::toEye({1, 0, 0}), 0, 1, 0);
    expectPoint(glrec::toEye({0, 1, 0}), -1, 0, 0);
    expectPoint(glrec::toEye({0, 0, 1}), 0, 0, 1);

    glrec::reset();
    glRotated(90, 2, 0, 0);
    expectPoint(glrec::toEye({0, 1, 0}), 0, 0, 1);

    glrec::reset();
    glRotated(90, 0, 1, 0);
    expectPoint(glrec::toEye({0, 0, 1}), 1, 0, 0);

    // An oblique axis: a third of a turn about (1, 1, 1) cycles the coordinate axes.
    glrec::reset();
    glRotated(120, 1, 1, 1);
    expectPoint(glrec::toEye({1, 0, 0}), 0, 1, 0);
    expectPoint(glrec::toEye({0, 1, 0}), 0, 0, 1);
}

TEST_F(GlRecorder, LaterCallsActFirstOnTheVertex) {
    // translate then rotate: the point is rotated in the local frame, then moved.
    glTranslated(10, 0, 0);
    glRotated(90, 0, 0, 1);
    expectPoint(glrec::toEye({1, 0, 0}), 10, 1, 0);

    glrec::reset();
    glRotated(90, 0, 0, 1);
    glTranslated(10, 0, 0);
    expectPoint(glrec::toEye({1, 0, 0}), 0, 11, 0);
}

TEST_F(GlRecorder, LookAtMatchesAHandComputedView) {
    // From +x toward the origin with y up: forward is -x, so right is -z and +z lies to the left.
    // An up vector that is neither unit nor perpendicular to the view must give the same view.
    gluLookAt(10, 0, 0, 0, 0, 0, 3, 3, 0);
    expectPoint(glrec::toEye({0, 0, 0}), 0, 0, -10);
    expectPoint(glrec::toEye({0, 0, 5}), -5, 0, -10);
    expectPoint(glrec::toEye({0, 2, 0}), 0, 2, -10);
    expectPoint(glrec::toEye({10, 0, 0}), 0, 0, 0);

    // It multiplies onto what is there, like any matrix call.
    glrec::reset();
    glTranslated(0, 0, -1);
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    expectPoint(glrec::toEye({1, 2, 3}), 1, 2, -8);
}

TEST_F(GlRecorder, PerspectiveGoesToTheProjectionStackOnly) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90, 4.0 / 3.0, 1, 101);
    glMatrixMode(GL_MODELVIEW);
    const glrec::Mat4& p = glrec::projection();
    EXPECT_NEAR(p[0], 0.75, tolerance);  // cot(45 degrees) / aspect
    EXPECT_NEAR(p[5], 1, tolerance);
    EXPECT_NEAR(p[10], -102.0 / 100.0, tolerance);
    EXPECT_NEAR(p[11], -1, tolerance);
    EXPECT_NEAR(p[14], -2.0 * 101 / 100, tolerance);
    EXPECT_EQ(p[15], 0);
    expectPoint(glrec::toEye({1, 2, 3}), 1, 2, 3);
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
}

TEST_F(GlRecorder, PushAndPopRestoreTheMatrixAndCountDepth) {
    glTranslated(1, 0, 0);
    glPushMatrix();
    glTranslated(0, 5, 0);
    glPushMatrix();
    glRotated(180, 0, 0, 1);
    EXPECT_EQ(glrec::modelviewDepth(), 3);
    expectPoint(glrec::toEye({1, 0, 0}), 0, 5, 0);
    glPopMatrix();
    expectPoint(glrec::toEye({1, 0, 0}), 2, 5, 0);
    glPopMatrix();
    expectPoint(glrec::toEye({1, 0, 0}), 2, 0, 0);
    EXPECT_EQ(glrec::modelviewDepth(), 1);
    EXPECT_EQ(glrec::counts().maxModelviewDepth, 3);
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();

    // The projection stack is separate: pushing it leaves the modelview depth alone.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glTranslated(7, 7, 7);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(glrec::counts().maxModelviewDepth, 3);
    expectPoint(glrec::transform(glrec::projection(), {0, 0, 0}), 0, 0, 0);
}

TEST_F(GlRecorder, StackOverflowAndUnderflowAreCaught) {
    glPopMatrix();
    EXPECT_EQ(glrec::errors().stackUnderflow, 1);
    EXPECT_EQ(glrec::modelviewDepth(), 1);

    for (int i = 1; i < glrec::modelviewStackDepth; ++i) {
        glPushMatrix();
    }
    EXPECT_EQ(glrec::errors().stackOverflow, 0);
    glTranslated(1, 0, 0);
    glPushMatrix();  // one too many: refused, the matrix stays
    EXPECT_EQ(glrec::errors().stackOverflow, 1);
    EXPECT_EQ(glrec::modelviewDepth(), glrec::modelviewStackDepth);
    expectPoint(glrec::toEye({0, 0, 0}), 1, 0, 0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glPushMatrix();
    EXPECT_EQ(glrec::errors().stackOverflow, 2);
    EXPECT_FALSE(glrec::ok());
}

TEST_F(GlRecorder, BeginEndMisuseIsCaught) {
    glVertex3d(0, 0, 0);
    EXPECT_EQ(glrec::errors().vertexOutsideBegin, 1);
    glEnd();
    EXPECT_EQ(glrec::errors().endWithoutBegin, 1);
    glBegin(GL_LINES);
    glBegin(GL_LINES);
    EXPECT_EQ(glrec::errors().nestedBegin, 1);
    glPushMatrix();
    glutWireSphere(1, 8, 8);
    glColor3f(1, 0, 0);  // allowed between glBegin and glEnd
    glVertex2d(0, 0);
    EXPECT_EQ(glrec::errors().callInsideBegin, 2);
    EXPECT_TRUE(glrec::insideBegin());
    glEnd();
    EXPECT_FALSE(glrec::insideBegin());
    glBegin(GL_POLYGON + 1);
    EXPECT_EQ(glrec::errors().badEnum, 1);
    EXPECT_FALSE(glrec::ok());
}

TEST_F(GlRecorder, RecordsCarryArgumentsColourAndEyePosition) {
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
    EXPECT_EQ(calls[2].fn, glrec::Fn::Begin);
    EXPECT_EQ(calls[2].args[0], GL_LINE_LOOP);

    const glrec::Call& flat = calls[3];
    EXPECT_EQ(flat.fn, glrec::Fn::Vertex2d);
    EXPECT_EQ(flat.argCount, 2);
    expectPoint(flat.eye, 1, 2, -10);
    EXPECT_EQ(flat.color.r, 0.5f);
    EXPECT_EQ(flat.color.g, 0.25f);
    EXPECT_EQ(flat.color.b, 1.0f);
    expectPoint(glrec::transform(flat.modelview, {0, 0, 0}), 0, 0, -10);

    EXPECT_EQ(calls[4].argCount, 3);
    expectPoint(calls[4].eye, 1, 2, -7);

    const glrec::Call& sphere = calls[7];
    EXPECT_EQ(sphere.fn, glrec::Fn::WireSphere);
    EXPECT_EQ(sphere.args[0], 2.5);
    EXPECT_EQ(sphere.args[1], 12);
    EXPECT_EQ(sphere.args[2], 6);
    expectPoint(sphere.eye, 4, 0, -10);

    EXPECT_EQ(glrec::counts().vertices, 2);
    EXPECT_EQ(glrec::counts().primitives[GL_LINE_LOOP], 1);
    EXPECT_EQ(glrec::counts().of(glrec::Fn::WireSphere), 1);
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();

    // clearRecords starts a new frame but keeps the GL state.
    glrec::clearRecords();
    EXPECT_TRUE(glrec::records().empty());
    EXPECT_EQ(glrec::counts().vertices, 0);
    expectPoint(glrec::toEye({0, 0, 0}), 4, 0, -10);
}

TEST_F(GlRecorder, CountingModeTalliesWithoutRecording) {
    glrec::setMode(glrec::Mode::Counting);
    for (int i = 0; i < 3; ++i) {
        glBegin(i == 0 ? GL_LINES : GL_LINE_LOOP);
        glVertex3d(0, 0, 0);
        glVertex3d(1, 0, 0);
        glEnd();
    }
    glPushMatrix();
    glutWireSphere(1, 4, 4);
    glPopMatrix();
    EXPECT_TRUE(glrec::records().empty());
    EXPECT_EQ(glrec::counts().vertices, 6);
    EXPECT_EQ(glrec::counts().primitives[GL_LINES], 1);
    EXPECT_EQ(glrec::counts().primitives[GL_LINE_LOOP], 2);
    EXPECT_EQ(glrec::counts().of(glrec::Fn::Vertex3d), 6);
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
    EXPECT_EQ(glrec::counts().vertices, static_cast<std::int64_t>(glrec::recordCapacity + 9));
    EXPECT_FALSE(glrec::ok());
}

TEST(TestClock, DrivesTheProgramClockAndResetSceneStartsFresh) {
    scene.timeScale = 1000;
    scene.shellCount = 7;
    glTranslated(1, 0, 0);
    resetScene();
    EXPECT_EQ(scene.timeScale, 1.0);
    EXPECT_EQ(scene.shellCount, 0);
    expectPoint(glrec::toEye({0, 0, 0}), 0, 0, 0);
    EXPECT_EQ(millisecondClock(), 0);

    testClockMs += 16;
    EXPECT_EQ(millisecondClock(), 16);
    useTestClock(-5);
    EXPECT_EQ(millisecondClock(), -5);
}

}  // namespace
