#include "app/callbacks.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "model/scene_state.h"
#include "sim/advance.h"
#include "sim/clock.h"
#include "sim/light_shells.h"

void onReshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window shrunk to no height has no aspect ratio; take its height as one pixel.
    const int aspectHeight = height == 0 ? 1 : height;
    gluPerspective(90.0, static_cast<double>(width) / static_cast<double>(aspectHeight), 1.0,
                   9999999999999.0);
    glMatrixMode(GL_MODELVIEW);
}

// No timer and no frame cap: a slow tick makes a larger step, not a slower simulation.
void onIdle() {
    tickClock();
    updateLightShells();
    for (int k = 0; k < scene.slotCount; ++k) {
        advanceStar(k);
        advancePlanet(k);
    }
    glutPostRedisplay();
}
