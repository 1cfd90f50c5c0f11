// TESSALORAN: an interactive wireframe model of the solar system, in one GLUT window.
//
// Start-up opens the window, builds the scene and hands control to the toolkit's loop, which
// never returns; the process ends when the toolkit ends it, for instance when the window closes.
#include <GL/freeglut.h>

#include "app/callbacks.h"
#include "app/line_probe.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "render/frame.h"

int main(int argc, char** argv) {
    // Steer Mesa away from a renderer that drops far-reaching lines: before the toolkit loads a GL
    // and, where the probe has to draw, again before the window opens.
    selectLineSafeDriver(argc, argv);
    glutInit(&argc, argv);
    confirmLineSafeDriver();
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
