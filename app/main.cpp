// TESSALORAN: an interactive wireframe model of the solar system, in one GLUT window.
//
// Start-up opens the window, builds the scene and hands control to the toolkit's loop, which
// never returns; the process ends when the toolkit ends it, for instance when the window closes.
#include "app/line_probe.h"
#include "app/program.h"

int main(int argc, char** argv) {
    // Before the toolkit loads a GL: steer Mesa away from a renderer that drops far-reaching lines.
    selectLineSafeDriver(argc, argv);
    runProgram(argc, argv);
    return 0;
}
