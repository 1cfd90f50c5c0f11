// TESSALORAN: an interactive wireframe model of the solar system, in one GLUT window.
//
// Start-up opens the window, builds the scene and hands control to the toolkit's loop, which
// never returns; the process ends when the toolkit ends it, for instance when the window closes.
#include <GL/freeglut.h>

#include "app/program.h"
#include "desktop/line_safe_driver.h"

int main(int argc, char** argv) {
    // Steer Mesa away from a renderer that drops far-reaching lines: before the toolkit loads a GL
    // and, where the probe has to draw, again before the window opens.
    selectLineSafeDriver(argc, argv);
    glutInit(&argc, argv);
    confirmLineSafeDriver();
    openWindowAndRun();
    return 0;
}
