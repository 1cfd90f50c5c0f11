// The OpenGL 1.x calls TESSALORAN makes, for the browser build. WebGL has no fixed-function
// pipeline, so the immediate-mode layer of web/gl_immediate.h provides these over it: the matrix
// stacks live on the CPU in double precision, and glBegin/glVertex/glEnd record into
// preallocated arrays that the page draws with one shader when the frame is swapped; glViewport
// and glClear go with the frame.
#pragma once

#include <GLES2/gl2.h>

typedef double GLdouble;

#define GL_MODELVIEW 0x1700
#define GL_PROJECTION 0x1701

#ifdef __cplusplus
extern "C" {
#endif

void glMatrixMode(GLenum mode);
void glLoadIdentity(void);
void glPushMatrix(void);
void glPopMatrix(void);
void glMultMatrixd(const GLdouble* m);
void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z);
void glTranslated(GLdouble x, GLdouble y, GLdouble z);
void glColor3f(GLfloat red, GLfloat green, GLfloat blue);
void glBegin(GLenum mode);
void glEnd(void);
void glVertex2d(GLdouble x, GLdouble y);
void glVertex3d(GLdouble x, GLdouble y, GLdouble z);
void glVertex3f(GLfloat x, GLfloat y, GLfloat z);

#ifdef __cplusplus
}
#endif
