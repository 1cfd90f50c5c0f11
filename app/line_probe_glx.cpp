// The probe's drawing, through Xlib and GLX, in a child process: the program's own process must
// not load a GL before it knows which driver to ask for, and a probe that crashes or hangs must
// not take the program with it.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/line_probe.h"

namespace {

// A probe that has not answered by then is given up, and nothing changes.
constexpr int probeTimeoutMs = 5000;

const char* probeDisplay = nullptr;  // the toolkit's -display, or nullptr for DISPLAY

// Draws the probe segments into the back buffer of an unmapped window with the visual the
// program's window asks for (RGB, double-buffered), reads the picture back and judges it.
ProbeResult drawProbe() {
    ProbeResult result;
    Display* display = XOpenDisplay(probeDisplay);
    if (display == nullptr) {
        return result;
    }
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (visual == nullptr) {
        return result;
    }
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes windowAttributes{};
    windowAttributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const Window window = XCreateWindow(display, root, 0, 0, probeSize, probeSize, 0, visual->depth,
                                        InputOutput, visual->visual, CWColormap, &windowAttributes);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (context == nullptr || !glXMakeCurrent(display, window, context)) {
        return result;
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::snprintf(result.renderer, sizeof result.renderer, "%s", renderer ? renderer : "?");

    // The scene's projection, with an aspect ratio of 1.
    glViewport(0, 0, probeSize, probeSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 9999999999999.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    for (const ProbeSegment& segment : probeSegments) {
        glVertex3dv(segment.from);
        glVertex3dv(segment.to);
    }
    glEnd();
    glFinish();

    std::vector<unsigned char> red(probeSize * probeSize);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, probeSize, probeSize, GL_RED, GL_UNSIGNED_BYTE, red.data());
    for (unsigned char& pixel : red) {
        pixel = pixel > 127 ? 1 : 0;
    }
    result.verdict = judgeProbeImage(red.data());
    return result;
}

// Runs drawProbe in a child process with GALLIUM_DRIVER set to driver (unless nullptr), and
// reads its result back through a pipe.
ProbeResult probeInChild(const char* driver) {
    ProbeResult result;
    int ends[2];
    if (pipe(ends) != 0) {
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        if (driver != nullptr) {
            setenv("GALLIUM_DRIVER", driver, 1);
        }
        const ProbeResult seen = drawProbe();
        const ssize_t written = write(ends[1], &seen, sizeof seen);
        _exit(written == sizeof seen ? 0 : 1);
    }
    close(ends[1]);
    if (child < 0) {
        close(ends[0]);
        return result;
    }
    pollfd answer{ends[0], POLLIN, 0};
    ProbeResult seen;
    if (poll(&answer, 1, probeTimeoutMs) == 1 && read(ends[0], &seen, sizeof seen) == sizeof seen) {
        seen.renderer[sizeof seen.renderer - 1] = '\0';
        result = seen;
    } else {
        kill(child, SIGKILL);
    }
    close(ends[0]);
    waitpid(child, nullptr, 0);
    return result;
}

}  // namespace

void selectLineSafeDriver(int argc, char** argv) {
    probeDisplay = displayArgument(argc, argv);
    const DriverChoice choice = chooseGlDriver(std::getenv("GALLIUM_DRIVER"), probeInChild);
    if (choice.driver != nullptr) {
        setenv("GALLIUM_DRIVER", choice.driver, 1);
    }
    if (choice.message[0] != '\0') {
        std::fprintf(stderr, "%s\n", choice.message);
    }
}
