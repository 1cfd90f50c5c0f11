// The toolkit for the browser: the window is the page's <canvas id="canvas">, drawn by the page's
// painter (page/painter.js) with a WebGL 1 context without depth, alpha or antialiasing (the
// desktop window asks for none of them), and the main loop the browser's animation frames. The
// page's script (page/page.js) calls the web* entry points below with the browser's events, already
// turned into freeglut's codes.
#include <GL/freeglut.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "web/body_anchors.h"
#include "web/gl_immediate.h"
#include "web/status.h"
#include "web/wire_shapes.h"

namespace {

constexpr const char* canvasSelector = "#canvas";

struct Toolkit {
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*display)() = nullptr;
    void (*motion)(int, int) = nullptr;
    void (*idle)() = nullptr;
    bool redisplayPosted = false;
    double frameCodeMs = 0;  // CPU time of the last animation frame's idle tick and frame
    double drawingMs = 0;    // the part of it spent handing the recorded frame to the painter
    bool hasGl = false;
    WireShape shape;  // the last globe or torus drawn, rebuilt at each call
};

Toolkit toolkit;

// Tells the page that this browser gave no WebGL, so it can say so instead of a blank canvas.
EM_JS(void, reportMissingWebGl, (), {
    if (Module['onMissingWebGl'])
        Module['onMissingWebGl']();
});

// One animation frame: one idle tick, then the frame if one was asked for.
void runAnimationFrame() {
    const double start = emscripten_get_now();
    if (toolkit.idle != nullptr) {
        toolkit.idle();
        countElapsedModelTime();
    }
    if (toolkit.redisplayPosted && toolkit.display != nullptr) {
        toolkit.redisplayPosted = false;
        toolkit.display();
    }
    toolkit.frameCodeMs = emscripten_get_now() - start;
}

void drawShape(const WireShape& shape) {
    for (int s = 0; s < shape.stripCount; ++s) {
        const WireStrip& strip = shape.strips[s];
        glBegin(static_cast<GLenum>(strip.mode));
        for (int k = strip.first; k < strip.first + strip.count; ++k) {
            const float* v = &shape.vertices[3 * shape.indices[k]];
            glVertex3f(v[0], v[1], v[2]);
        }
        glEnd();
    }
}

}  // namespace

extern "C" {

// The toolkit's options are the browser's business: there is no command line to read.
void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}
// The page sizes the canvas to fit the browser's window, 1024 x 768 where there is room.
void glutInitWindowSize(int, int) {}
void glutInitWindowPosition(int, int) {}

int glutCreateWindow(const char* title) {
    emscripten_set_window_title(title);
    if (!pageHasPainter()) {
        reportMissingWebGl();
        return 0;
    }
    toolkit.hasGl = true;
    return 1;
}

void glutReshapeFunc(void (*callback)(int, int)) {
    toolkit.reshape = callback;
}
void glutKeyboardFunc(void (*callback)(unsigned char, int, int)) {
    toolkit.keyboard = callback;
}
void glutMouseFunc(void (*callback)(int, int, int, int)) {
    toolkit.mouse = callback;
}
void glutDisplayFunc(void (*callback)()) {
    toolkit.display = callback;
}
void glutMotionFunc(void (*callback)(int, int)) {
    toolkit.motion = callback;
}
void glutIdleFunc(void (*callback)()) {
    toolkit.idle = callback;
}

void glutPostRedisplay(void) {
    toolkit.redisplayPosted = true;
}

void glutSwapBuffers(void) {
    const double start = emscripten_get_now();
    drawRecordedFrame();
    toolkit.drawingMs = emscripten_get_now() - start;
}

// As on the desktop, the window's first reshape comes before its first frame. Without WebGL there
// is nothing to draw and no loop to run; the page says why.
void glutMainLoop(void) {
    if (!toolkit.hasGl) {
        return;
    }
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(canvasSelector, &width, &height);
    if (toolkit.reshape != nullptr) {
        toolkit.reshape(width, height);
    }
    toolkit.redisplayPosted = true;
    emscripten_set_main_loop(runAnimationFrame, 0, true);
}

// Arguments that need more than the shape's fixed room draw nothing. Each globe's centre is
// noted for the page's names, drawn or not.
void glutWireSphere(GLdouble radius, GLint slices, GLint stacks) {
    noteGlobe(radius);
    if (buildWireSphere(toolkit.shape, radius, slices, stacks)) {
        drawShape(toolkit.shape);
    }
}

void glutWireTorus(GLdouble innerRadius, GLdouble outerRadius, GLint sides, GLint rings) {
    if (buildWireTorus(toolkit.shape, innerRadius, outerRadius, sides, rings)) {
        drawShape(toolkit.shape);
    }
}

// The page's events, in freeglut's terms: key codes as X11 freeglut delivers them, buttons
// 0 left, 1 middle, 2 right, state 0 down and 1 up, positions in canvas pixels from the top left.
EMSCRIPTEN_KEEPALIVE void webKeyboard(int key, int x, int y) {
    if (toolkit.keyboard != nullptr) {
        toolkit.keyboard(static_cast<unsigned char>(key), x, y);
    }
}

EMSCRIPTEN_KEEPALIVE void webMouseButton(int button, int state, int x, int y) {
    if (toolkit.mouse != nullptr) {
        toolkit.mouse(button, state, x, y);
    }
}

EMSCRIPTEN_KEEPALIVE void webMotion(int x, int y) {
    if (toolkit.motion != nullptr) {
        toolkit.motion(x, y);
    }
}

// The canvas has already been given its new size; the next animation frame redraws.
EMSCRIPTEN_KEEPALIVE void webReshape(int width, int height) {
    if (toolkit.hasGl && toolkit.reshape != nullptr) {
        toolkit.reshape(width, height);
        toolkit.redisplayPosted = true;
    }
}

// What the last frame drew, for the benchmark and the tests: `which` 0 gives its vertices, 1 its
// line primitives, 2 is 1 once any frame overflowed the fixed arrays, 3 the frames drawn so far.
// Plain numbers, so the page needs no view of the WebAssembly memory.
EMSCRIPTEN_KEEPALIVE int webFrameCount(int which) {
    const ImmediateFrameCounts& counts = immediateFrameCounts();
    switch (which) {
        case 0:
            return counts.vertices;
        case 1:
            return counts.primitives;
        case 2:
            return counts.overflowed;
        case 3:
            return counts.frames;
        default:
            return -1;
    }
}

// The CPU milliseconds of the last animation frame (performance.now(), so in the browser's
// coarsened steps): the program's own code, the idle tick and the frame as it records its lines,
// and the handing of the recorded lines to WebGL, which waits whenever the GPU falls behind.
EMSCRIPTEN_KEEPALIVE double webFrameCodeMilliseconds(void) {
    return toolkit.frameCodeMs - toolkit.drawingMs;
}

EMSCRIPTEN_KEEPALIVE double webDrawingMilliseconds(void) {
    return toolkit.drawingMs;
}

}  // extern "C"
