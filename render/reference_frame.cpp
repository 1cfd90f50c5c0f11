#include "render/reference_frame.h"

#include <GL/gl.h>

#include "model/scene_state.h"
#include "render/primitives.h"

void drawReferenceFrame() {
    glPushMatrix();
    drawRing(100, 20);
    glRotated(90, 1, 0, 0);
    glBegin(GL_LINE_LOOP);
    glVertex2d(-25, -25);
    glVertex2d(-25, 25);
    glVertex2d(25, 25);
    glVertex2d(25, -25);
    glEnd();
    drawGrids();
    glPopMatrix();
}

void drawGrids() {
    drawGrid(scene.gridExtentA);
    drawGrid(scene.gridExtentB);
}

// Line positions are accumulated by repeated addition, not recomputed per line.
void drawGrid(long double extent) {
    const long double step = extent * 0.1;
    const long double half = extent * 0.5;
    const long double minusHalf = half * (-1);
    long double x = extent * (-0.5);
    long double y = x;

    glColor3f(1, 0, 0);
    glPushMatrix();
    for (int line = 0; line < 11; ++line) {
        glBegin(GL_LINE_LOOP);
        glVertex2d(static_cast<double>(x), static_cast<double>(half));
        glVertex2d(static_cast<double>(x), static_cast<double>(minusHalf));
        glEnd();
        x = x + step;
    }
    for (int line = 0; line < 11; ++line) {
        glBegin(GL_LINE_LOOP);
        glVertex2d(static_cast<double>(half), static_cast<double>(y));
        glVertex2d(static_cast<double>(minusHalf), static_cast<double>(y));
        glEnd();
        y = y + step;
    }
    glColor3f(1, 1, 1);
    glPopMatrix();
}
