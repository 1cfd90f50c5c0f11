// The toolkit calls TESSALORAN makes, for the browser build (web/glut.cpp). The window is the
// page's canvas; the page's script (web/page/tessaloran.js) turns the browser's key, pointer and
// resize events into the same callbacks, with the codes freeglut delivers on X11.
#pragma once

#include <GL/gl.h>

#define GLUT_RGB 0
#define GLUT_DOUBLE 2

#define GLUT_LEFT_BUTTON 0
#define GLUT_MIDDLE_BUTTON 1
#define GLUT_RIGHT_BUTTON 2
#define GLUT_DOWN 0
#define GLUT_UP 1

#ifdef __cplusplus
extern "C" {
#endif

void glutInit(int* argc, char** argv);
void glutInitDisplayMode(unsigned int mode);
void glutInitWindowSize(int width, int height);
void glutInitWindowPosition(int x, int y);
int glutCreateWindow(const char* title);
void glutReshapeFunc(void (*callback)(int width, int height));
void glutKeyboardFunc(void (*callback)(unsigned char key, int x, int y));
void glutMouseFunc(void (*callback)(int button, int state, int x, int y));
void glutDisplayFunc(void (*callback)(void));
void glutMotionFunc(void (*callback)(int x, int y));
void glutIdleFunc(void (*callback)(void));
void glutMainLoop(void);
void glutPostRedisplay(void);
void glutSwapBuffers(void);
void glutWireSphere(GLdouble radius, GLint slices, GLint stacks);
void glutWireTorus(GLdouble innerRadius, GLdouble outerRadius, GLint sides, GLint rings);

#ifdef __cplusplus
}
#endif
