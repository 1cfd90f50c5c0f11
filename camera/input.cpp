#include "camera/input.h"

#include <cstdio>

#include "camera/navigation.h"
#include "camera/view.h"
#include "model/scene_state.h"

namespace {

constexpr double maxTimeScale = 100000000.0;
constexpr double maxGlobeScale = 10000.0;

// Scale keys compare first, then multiply. The factor is applied in extended precision and
// stored back as a double, so the powers of ten come out exact both ways.
double scaledBy(double value, long double factor) {
    return static_cast<double>(value * factor);
}

void select(int slot) {
    scene.followBody = slot;
    scene.viewBody = slot;
}

void zoomIn() {
    zoomView(1);
    refineGrids();
}

void zoomOut() {
    zoomView(-1);
    coarsenGrids();
}

// The first Backspace stops following and leaves the look-at point where it is; a Backspace
// while nothing is followed also stops levelling the viewed planet's plane.
void releaseSelection() {
    if (scene.followBody != -1) {
        scene.followBody = -1;
    } else {
        scene.viewBody = -1;
    }
}

void setButton(std::uint8_t& flag, int state) {
    constexpr int pressed = 0;
    flag = state == pressed ? 1 : 0;
}

}  // namespace

void onKeyboard(unsigned char key, int, int) {
    std::printf("key pressed = %i\n", key);
    std::fflush(stdout);
    updateReference();

    switch (key) {
        case 8:
            releaseSelection();
            break;
        case ')':
            select(0);
            break;
        case '!':
            select(1);
            break;
        case '@':
            select(2);
            break;
        case '#':
            select(3);
            break;
        case '$':
            select(4);
            break;
        case '%':
            select(5);
            break;
        case '^':
            select(6);
            break;
        case '&':
            select(7);
            break;
        case '*':
            select(8);
            break;
        case '(':
            select(9);
            break;
        case '\'':
            if (scene.globeScale < maxGlobeScale) {
                scene.globeScale = scaledBy(scene.globeScale, 10);
            }
            break;
        case ';':
            if (scene.globeScale > 1.0) {
                scene.globeScale = scaledBy(scene.globeScale, 0.1);
            }
            break;
        case ']':
            if (scene.timeScale < maxTimeScale) {
                scene.timeScale = scaledBy(scene.timeScale, 10);
            }
            break;
        case '[':
            if (scene.timeScale > 1.0) {
                scene.timeScale = scaledBy(scene.timeScale, 0.1);
            }
            break;
        case '+':
        case 'z':
            zoomIn();
            break;
        case '-':
        case 'x':
            zoomOut();
            break;
        case 'a':
            orbitHoriz(-2);
            break;
        case 'd':
            orbitHoriz(2);
            break;
        case 's':
            orbitVert(-2);
            break;
        case 'w':
            orbitVert(2);
            break;
        // The numeric keypad with Num Lock on: 8 forward, 2 back, 4 left, 6 right, 9 up, 3 down.
        case '8':
            moveOnPlane(0);
            break;
        case '2':
            moveOnPlane(180);
            break;
        case '4':
            moveOnPlane(90);
            break;
        case '6':
            moveOnPlane(-90);
            break;
        case '9':
            moveAlongNormal(1);
            break;
        case '3':
            moveAlongNormal(-1);
            break;
        default:
            break;
    }
}

void onMouseButton(int button, int state, int, int y) {
    scene.lastMouseY = y;
    switch (button) {
        case 0:
            setButton(scene.leftButtonDown, state);
            break;
        case 2:
            setButton(scene.rightButtonDown, state);
            break;
        case 1:
            setButton(scene.middleButtonDown, state);
            break;
        default:
            break;
    }
}

// One step per event and per axis, however far the pointer moved. The three groups are
// independent: with several buttons held, one event can zoom, orbit and walk.
void onMouseDrag(int x, int y) {
    if (scene.leftButtonDown == 1 && scene.rightButtonDown == 1) {
        if (y > scene.lastMouseY) {
            zoomOut();
        } else if (y < scene.lastMouseY) {
            zoomIn();
        }
    }
    if (scene.leftButtonDown == 0 && scene.rightButtonDown == 1) {
        updateViewDistance();
        if (x > scene.lastMouseX) {
            orbitHoriz(-2);
        } else if (x < scene.lastMouseX) {
            orbitHoriz(2);
        }
        if (y > scene.lastMouseY) {
            orbitVert(2);
        } else if (y < scene.lastMouseY) {
            orbitVert(-2);
        }
    }
    if (scene.middleButtonDown == 1) {
        if (y < scene.lastMouseY) {
            moveOnPlane(0);
        }
        if (y > scene.lastMouseY) {
            moveOnPlane(180);
        }
        if (x < scene.lastMouseX) {
            moveOnPlane(90);
        }
        if (x > scene.lastMouseX) {
            moveOnPlane(-90);
        }
    }
    scene.lastMouseX = x;
    scene.lastMouseY = y;
}
