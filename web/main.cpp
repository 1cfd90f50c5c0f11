// TESSALORAN in the browser: the desktop program's start-up, over the toolkit of web/glut.cpp.
//
// The window is the page's canvas. The toolkit's loop never returns here: it hands control to the
// browser's animation frames, which run the program until the page is closed. There is no line
// probe: the browser's WebGL is not Mesa's window-system GL. The program's clock is the one the
// page can pause (web/pause.cpp), set before the scene reads it at start-up.
#include <GL/freeglut.h>

#include "app/program.h"
#include "sim/clock.h"
#include "web/pause.h"

int main(int argc, char** argv) {
    millisecondClock = pausableMilliseconds;
    glutInit(&argc, argv);
    openWindowAndRun();
    return 0;
}
