#include "app/program.h"

#include <GL/freeglut.h>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "render/frame.h"

void openWindowAndRun() {
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
}
