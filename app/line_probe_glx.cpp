// The probe's drawing, through Xlib and GLX, in a child process: the program's own process must
// not start a GL before it knows which driver to ask for (Mesa picks the driver when a GL first
// opens the display), and a probe that crashes or hangs must not take the program with it.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/line_probe.h"

namespace {

// A probe that has not answered by then is given up, and nothing changes.
constexpr int probeTimeoutMs = 5000;

const char* probeDisplay = nullptr;  // the toolkit's -display, or nullptr for DISPLAY

// Whether the display is reached through a local socket, which can pass the GPU's file
// descriptor, and its X server offers DRI3 or DRI2: then Mesa draws with the GPU's driver. Pure
// Xlib, no GL.
bool offersDirectRendering(const char* name) {
    Display* display = XOpenDisplay(name);
    if (display == nullptr) {
        return false;
    }
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    const bool local = getsockname(ConnectionNumber(display), reinterpret_cast<sockaddr*>(&address),
                                   &length) == 0 &&
                       address.ss_family == AF_UNIX;
    int opcode, event, error;
    const bool direct = local && (XQueryExtension(display, "DRI3", &opcode, &event, &error) ||
                                  XQueryExtension(display, "DRI2", &opcode, &event, &error));
    XCloseDisplay(display);
    return direct;
}

// Loads Mesa's code into the program before the probe's child is forked, without starting it:
// the child inherits it, and the toolkit's GL finds it loaded. Loading it is most of the time a
// GL takes to start, so the probe costs little more than its drawing. Mesa 25.0's GLX library
// (Debian 13) links its drivers; Mesa 22.3 (Debian 12) loads them from the dri folder beside it,
// swrast for software rendering, with the flags used here.
void loadMesaAhead() {
    void* glx = dlopen("libGLX_mesa.so.0", RTLD_LAZY);
    char folder[PATH_MAX];
    if (glx != nullptr && dlinfo(glx, RTLD_DI_ORIGIN, folder) == 0) {
        dlopen((std::string(folder) + "/dri/swrast_dri.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
    }
}

// The renderer's name and Mesa release as the screen tells them, before any context exists
// (GLX_MESA_query_renderer); nothing where the GL does not offer that.
std::optional<ProbeResult> resultFromScreen(Display* display, int screen) {
    const char* extensions = glXQueryExtensionsString(display, screen);
    if (extensions == nullptr || std::strstr(extensions, "GLX_MESA_query_renderer") == nullptr) {
        return std::nullopt;
    }
    const auto queryString = reinterpret_cast<PFNGLXQUERYRENDERERSTRINGMESAPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryRendererStringMESA")));
    const auto queryInteger = reinterpret_cast<PFNGLXQUERYRENDERERINTEGERMESAPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryRendererIntegerMESA")));
    if (queryString == nullptr || queryInteger == nullptr) {
        return std::nullopt;
    }
    const char* renderer = queryString(display, screen, 0, GLX_RENDERER_DEVICE_ID_MESA);
    unsigned int release[3];
    if (renderer == nullptr ||
        !queryInteger(display, screen, 0, GLX_RENDERER_VERSION_MESA, release)) {
        return std::nullopt;
    }
    const int version[3] = {static_cast<int>(release[0]), static_cast<int>(release[1]),
                            static_cast<int>(release[2])};
    return resultWithoutDrawing(renderer, version);
}

// Learns which renderer the GL uses, and unless its names settle the verdict, draws the probe
// segments into the back buffer of an unmapped window with the visual the program's window asks
// for (RGB, double-buffered), reads the picture back and judges it.
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
    if (const auto settled = resultFromScreen(display, visual->screen)) {
        return *settled;
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
    if (const auto settled = resultWithoutDrawing(result.renderer, nullptr)) {
        return *settled;
    }

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
    loadMesaAhead();  // at once the second time: it is loaded
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
    GlSetting setting;
    setting.userDriver = std::getenv("GALLIUM_DRIVER");
    setting.softwareAsked = std::getenv("LIBGL_ALWAYS_SOFTWARE") != nullptr ||
                            std::getenv("MESA_LOADER_DRIVER_OVERRIDE") != nullptr;
    setting.directRendering = setting.userDriver == nullptr && !setting.softwareAsked &&
                              offersDirectRendering(probeDisplay);
    const DriverChoice choice = chooseGlDriver(setting, probeInChild);
    if (choice.driver != nullptr) {
        setenv("GALLIUM_DRIVER", choice.driver, 1);
    }
    if (choice.message[0] != '\0') {
        std::fprintf(stderr, "%s\n", choice.message);
    }
}
