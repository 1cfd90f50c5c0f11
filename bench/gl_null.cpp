#include "bench/gl_null.h"

// The real headers, so every definition is checked against its declaration and has C linkage.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <initializer_list>

GlNullCounts glNullCounts{};
CallStream* glNullCapture = nullptr;

namespace {

// Out of line and reached only while capturing, so a measured call costs a test and increments.
[[gnu::noinline]] void capture(StreamOp op, std::initializer_list<double> args) {
    glNullCapture->ops.push_back(op);
    glNullCapture->args.insert(glNullCapture->args.end(), args);
}

// A call costs an increment and a test; the arguments are gathered only while capturing.
template <typename... Args>
void note(StreamOp op, Args... args) {
    ++glNullCounts.calls;
    if (glNullCapture != nullptr) {
        capture(op, {static_cast<double>(args)...});
    }
}

}  // namespace

extern "C" {

void GLAPIENTRY glClear(GLbitfield mask) {
    note(StreamOp::Clear, static_cast<double>(mask));
}

void GLAPIENTRY glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    note(StreamOp::Color3f, red, green, blue);
}

void GLAPIENTRY glPushMatrix(void) {
    note(StreamOp::PushMatrix);
}
void GLAPIENTRY glPopMatrix(void) {
    note(StreamOp::PopMatrix);
}

void GLAPIENTRY glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    note(StreamOp::Rotated, angle, x, y, z);
}

void GLAPIENTRY glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    note(StreamOp::Translated, x, y, z);
}

void GLAPIENTRY glBegin(GLenum mode) {
    ++glNullCounts.primitives;
    note(StreamOp::Begin, static_cast<double>(mode));
}

void GLAPIENTRY glEnd(void) {
    note(StreamOp::End);
}

void GLAPIENTRY glVertex2d(GLdouble x, GLdouble y) {
    ++glNullCounts.vertices;
    note(StreamOp::Vertex2d, x, y);
}

void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    ++glNullCounts.vertices;
    note(StreamOp::Vertex3d, x, y, z);
}

void GLAPIENTRY gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX,
                          GLdouble centerY, GLdouble centerZ, GLdouble upX, GLdouble upY,
                          GLdouble upZ) {
    note(StreamOp::LookAt, eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}

void FGAPIENTRY glutWireSphere(double radius, GLint slices, GLint stacks) {
    ++glNullCounts.spheres;
    note(StreamOp::WireSphere, radius, static_cast<double>(slices), static_cast<double>(stacks));
}

void FGAPIENTRY glutSwapBuffers(void) {
    note(StreamOp::SwapBuffers);
}

// Not part of a frame: counted only.
void GLAPIENTRY glViewport(GLint, GLint, GLsizei, GLsizei) {
    ++glNullCounts.calls;
}
void GLAPIENTRY glMatrixMode(GLenum) {
    ++glNullCounts.calls;
}
void GLAPIENTRY glLoadIdentity(void) {
    ++glNullCounts.calls;
}
void GLAPIENTRY gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {
    ++glNullCounts.calls;
}
void FGAPIENTRY glutWireTorus(double, double, GLint, GLint) {
    ++glNullCounts.calls;
}
void FGAPIENTRY glutPostRedisplay(void) {
    ++glNullCounts.calls;
}

}  // extern "C"
