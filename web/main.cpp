// TESSALORAN in the browser: the desktop program's start-up, over the toolkit of web/glut.cpp.
//
// The window is the page's canvas. The toolkit's loop hands control to the browser's animation
// frames and never returns here; the program ends when the page is closed. There is no line
// probe: the browser's WebGL is not Mesa's window system GL.
#include <GL/freeglut.h>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "render/frame.h"

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TESSALORAN           ");

    initScene();

    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutMouseFunc(onMouseButton);
    glutDisplayFunc(displayFrame);
    glutMotionFunc(onMouseDrag);
    glutIdleFunc(onIdle);
    glutMainLoop();
    return 0;
}
