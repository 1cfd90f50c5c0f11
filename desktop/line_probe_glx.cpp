// The probe, through Xlib and GLX. Mesa picks its driver once in a process, when its GL first
// opens the display, which glutInit does; so a driver other than the default must be asked for
// before glutInit, or the program starts itself anew with it.
//
// Where the GL's names may settle the verdict (a known release is loaded), a child process reads
// them before glutInit. Otherwise the probe is drawn after glutInit, in the very GL context that
// the program's window then takes over (GLUT_USE_CURRENT_CONTEXT), on the toolkit's own display
// connection: the context is one the program needs anyway, and the shaders the probe's lines
// need are ready for the first frame. While it draws, a fault or a hang in the GL starts the
// program anew without the probe, as if the probe had told nothing. Softpipe's probe, needed only
// where the default GL drops the lines, runs in a child, since this process keeps its driver.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "desktop/line_probe.h"

namespace {

// Probes that have not answered by then are given up, and nothing changes.
constexpr int probeTimeoutMs = 5000;

// Set only in the environment of a start anew after the probe faulted or hung in the program's
// own GL: that start does not probe.
constexpr char probeFailedVariable[] = "TESSALORAN_LINE_PROBE_FAILED";

const char* probeDisplay = nullptr;  // the toolkit's -display, or nullptr for DISPLAY

// The toolkit's display connection, once glutInit has opened it (see XOpenDisplay below).
Display* toolkitDisplay = nullptr;

// Xlib's own XOpenDisplay.
Display* xlibOpenDisplay(const char* name) {
    static const auto open =
        reinterpret_cast<Display* (*)(const char*)>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    return open != nullptr ? open(name) : nullptr;
}

}  // namespace

// The program's own XOpenDisplay, exported from it: the toolkit's library calls it in place of
// Xlib's, which it passes the call on to, so that the probe can draw on the connection the window
// will use.
extern "C" Display* XOpenDisplay(const char* name) {
    toolkitDisplay = xlibOpenDisplay(name);
    return toolkitDisplay;
}

namespace {

// Whether the display is reached through a local socket, which can pass the GPU's file
// descriptor, and its X server offers DRI3 or DRI2: then Mesa draws with the GPU's driver. Plain
// XCB, no GL, and both questions in one round trip.
bool offersDirectRendering(const char* name) {
    xcb_connection_t* connection = xcb_connect(name, nullptr);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    bool direct = xcb_connection_has_error(connection) == 0 &&
                  getsockname(xcb_get_file_descriptor(connection),
                              reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                  address.ss_family == AF_UNIX;
    if (direct) {
        const xcb_query_extension_cookie_t dri3 = xcb_query_extension(connection, 4, "DRI3");
        const xcb_query_extension_cookie_t dri2 = xcb_query_extension(connection, 4, "DRI2");
        direct = false;
        for (const xcb_query_extension_cookie_t cookie : {dri3, dri2}) {
            xcb_query_extension_reply_t* reply =
                xcb_query_extension_reply(connection, cookie, nullptr);
            direct = direct || (reply != nullptr && reply->present != 0);
            std::free(reply);
        }
    }
    xcb_disconnect(connection);
    return direct;
}

// Whether the driver library of a known release comes with Mesa's GLX library, loaded here
// without starting it: Mesa 25.0's (Debian 13) links its drivers.
bool knownReleaseLoaded() {
    dlopen("libGLX_mesa.so.0", RTLD_LAZY);
    return dl_iterate_phdr([](dl_phdr_info* library, size_t,
                              void*) { return isKnownReleaseLibrary(library->dlpi_name) ? 1 : 0; },
                           nullptr) != 0;
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

// An unmapped window of the visual, the probe's size, and the colormap it needs.
struct ProbeWindow {
    Window window;
    Colormap colormap;
};

ProbeWindow openProbeWindow(Display* display, XVisualInfo* visual) {
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    return {XCreateWindow(display, root, 0, 0, probeSize, probeSize, 0, visual->depth, InputOutput,
                          visual->visual, CWColormap, &attributes),
            attributes.colormap};
}

// Draws the probe segments with the context into the window's back buffer, reads the picture
// back and judges it. A GL that does not tell its names on the screen is judged by its name here
// if it can be. The context stays current on the window.
ProbeResult drawProbe(Display* display, Window window, GLXContext context) {
    ProbeResult result;
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

// What a probe child writes to the program, once: for the default GL, what its names tell
// (final where they settle the verdict); for softpipe, what its drawing shows.
struct ProbeMessage {
    bool final = false;
    ProbeResult result;
};

// The child's work.
void runProbe(const char* driver, int out) {
    const auto send = [out](bool final, const ProbeResult& result) {
        const ProbeMessage message{final, result};
        if (write(out, &message, sizeof message) != sizeof message) {
            _exit(1);
        }
    };
    if (driver != nullptr) {
        setenv("GALLIUM_DRIVER", driver, 1);
    }
    Display* display = XOpenDisplay(probeDisplay);
    int attributes[] = {
        GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    XVisualInfo* visual =
        display ? glXChooseVisual(display, DefaultScreen(display), attributes) : nullptr;
    if (visual == nullptr) {
        send(true, ProbeResult{});
    } else if (driver == nullptr) {
        const auto settled = resultFromScreen(display, visual->screen);
        send(settled.has_value(), settled.value_or(ProbeResult{}));
    } else {
        send(true, drawProbe(display, openProbeWindow(display, visual).window,
                             glXCreateContext(display, visual, nullptr, True)));
    }
}

// A probe child at work: its process and the read end of its pipe.
struct RunningProbe {
    pid_t child = -1;
    int answers = -1;
};

// Start-up waits for the probes until then at most: probeTimeoutMs after the check began.
std::chrono::steady_clock::time_point probeDeadline;

std::chrono::milliseconds timeLeft() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(probeDeadline -
                                                                 std::chrono::steady_clock::now());
}

RunningProbe startProbe(const char* driver) {
    RunningProbe probe;
    int ends[2];
    if (pipe(ends) != 0) {
        return probe;
    }
    const pid_t program = getpid();
    probe.child = fork();
    if (probe.child == 0) {
        // Ends with the program, should it end first, e.g. when glutInit cannot open the display.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != program) {
            _exit(0);
        }
        close(ends[0]);
        runProbe(driver, ends[1]);
        _exit(0);
    }
    close(ends[1]);
    if (probe.child < 0) {
        close(ends[0]);
    } else {
        probe.answers = ends[0];
    }
    return probe;
}

// The child's message, waiting for it until the deadline; nothing if it has none by then. The
// child is ended, whether it has finished or not, and reaped.
std::optional<ProbeMessage> answerOf(RunningProbe probe) {
    if (probe.child < 0) {
        return std::nullopt;
    }
    pollfd answer{probe.answers, POLLIN, 0};
    ProbeMessage message;
    const long left = timeLeft().count();
    const bool answered = left > 0 && poll(&answer, 1, static_cast<int>(left)) == 1 &&
                          read(probe.answers, &message, sizeof message) == sizeof message;
    kill(probe.child, SIGKILL);
    waitpid(probe.child, nullptr, 0);
    close(probe.answers);
    if (!answered) {
        return std::nullopt;
    }
    message.result.renderer[sizeof message.result.renderer - 1] = '\0';
    return message;
}

// The probe chooseGlDriver runs for softpipe: a child from start to end.
ProbeResult probeInChild(const char* driver) {
    const std::optional<ProbeMessage> message = answerOf(startProbe(driver));
    return message ? message->result : ProbeResult{};
}

// Starting the program anew, made ready before the probe draws so that a signal handler can do
// it with execve alone: the program's own path (not /proc/self/exe, which would change its
// process name), its arguments as main got them, and its environment, with probeFailedVariable
// added for a start after a failed probe.
struct Restart {
    char path[PATH_MAX] = "";
    std::vector<char*> arguments;
    std::vector<char*> failedEnvironment;
};
Restart restart;

void prepareRestart(int argc, char** argv) {
    const ssize_t length = readlink("/proc/self/exe", restart.path, sizeof restart.path - 1);
    if (length > 0) {
        restart.path[length] = '\0';
    } else {
        std::snprintf(restart.path, sizeof restart.path, "/proc/self/exe");
    }
    restart.arguments.assign(argv, argv + argc + 1);
}

void startAnewWithoutProbe(int) {
    execve(restart.path, restart.arguments.data(), restart.failedEnvironment.data());
    _exit(1);
}

// The signals a faulting or hanging GL raises, the last one from the guard's own timer.
constexpr int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM};
struct sigaction savedActions[std::size(guardedSignals)];

// Until disarmGuard, a fault, or the deadline passing, starts the program anew without the probe.
void armGuard(std::chrono::milliseconds left) {
    static char failed[sizeof probeFailedVariable + 2];
    std::snprintf(failed, sizeof failed, "%s=1", probeFailedVariable);
    restart.failedEnvironment.clear();
    for (char** variable = environ; *variable != nullptr; ++variable) {
        restart.failedEnvironment.push_back(*variable);
    }
    restart.failedEnvironment.push_back(failed);
    restart.failedEnvironment.push_back(nullptr);

    struct sigaction action {};
    action.sa_handler = startAnewWithoutProbe;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (std::size_t k = 0; k < std::size(guardedSignals); ++k) {
        sigaction(guardedSignals[k], &action, &savedActions[k]);
    }
    // At least a millisecond: a timer of zero would be no timer at all.
    const long ms = std::max<long>(left.count(), 1);
    itimerval timer{};
    timer.it_value.tv_sec = ms / 1000;
    timer.it_value.tv_usec = static_cast<suseconds_t>(ms % 1000 * 1000);
    setitimer(ITIMER_REAL, &timer, nullptr);
}

void disarmGuard() {
    const itimerval stopped{};
    setitimer(ITIMER_REAL, &stopped, nullptr);
    for (std::size_t k = 0; k < std::size(guardedSignals); ++k) {
        sigaction(guardedSignals[k], &savedActions[k], nullptr);
    }
}

// The probe in the program's own GL: in the context its window will take over, with the
// framebuffer configuration the toolkit chooses for GLUT_RGB | GLUT_DOUBLE, on the toolkit's
// display connection, all of it under the guard. Where the context may serve the window, it is
// left current for the toolkit to take; otherwise it goes. Should the toolkit's connection be
// unknown, the probe draws on a connection of its own, and its context goes with it.
ProbeResult probeProgramGl() {
    if (timeLeft().count() <= 0) {
        return ProbeResult{};
    }
    Display* own = toolkitDisplay == nullptr ? xlibOpenDisplay(probeDisplay) : nullptr;
    Display* display = own != nullptr ? own : toolkitDisplay;
    if (display == nullptr) {
        return ProbeResult{};
    }
    armGuard(timeLeft());
    const int screen = DefaultScreen(display);
    const int attributes[] = {
        GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DOUBLEBUFFER, True, None};
    int count = 0;
    GLXFBConfig* configs = nullptr;
    XVisualInfo* visual = nullptr;
    GLXContext context = nullptr;
    std::optional<ProbeResult> result = resultFromScreen(display, screen);
    if (!result) {
        configs = glXChooseFBConfig(display, screen, attributes, &count);
        visual = count > 0 ? glXGetVisualFromFBConfig(display, configs[0]) : nullptr;
        context = visual ? glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True)
                         : nullptr;
    }
    if (context != nullptr) {
        const ProbeWindow window = openProbeWindow(display, visual);
        result = drawProbe(display, window.window, context);
        disarmGuard();
        if (result->verdict != ProbeVerdict::dropsLines && own == nullptr &&
            glXGetCurrentContext() == context) {
            glutSetOption(GLUT_RENDERING_CONTEXT, GLUT_USE_CURRENT_CONTEXT);
        } else {
            glXMakeCurrent(display, None, nullptr);
            glXDestroyContext(display, context);
        }
        XDestroyWindow(display, window.window);
        XFreeColormap(display, window.colormap);
    } else {
        disarmGuard();
    }
    if (visual != nullptr) {
        XFree(visual);
    }
    if (configs != nullptr) {
        XFree(configs);
    }
    if (own != nullptr) {
        XCloseDisplay(own);
    }
    return result.value_or(ProbeResult{});
}

// Whether the probe is to be drawn in the program's GL once the toolkit has started.
bool drawInProgram = false;

// Sets GALLIUM_DRIVER and prints the line that the choice asks for.
void apply(const DriverChoice& choice) {
    if (choice.driver != nullptr) {
        setenv("GALLIUM_DRIVER", choice.driver, 1);
    }
    if (choice.message[0] != '\0') {
        std::fprintf(stderr, "%s\n", choice.message);
    }
}

}  // namespace

void selectLineSafeDriver(int argc, char** argv) {
    probeDisplay = displayArgument(argc, argv);
    GlSetting setting;
    setting.probeFailed = std::getenv(probeFailedVariable) != nullptr;
    unsetenv(probeFailedVariable);
    setting.userDriver = std::getenv("GALLIUM_DRIVER");
    setting.softwareAsked = std::getenv("LIBGL_ALWAYS_SOFTWARE") != nullptr ||
                            std::getenv("MESA_LOADER_DRIVER_OVERRIDE") != nullptr;
    setting.directRendering = setting.userDriver == nullptr && !setting.probeFailed &&
                              !setting.softwareAsked && offersDirectRendering(probeDisplay);
    if (!needsProbe(setting)) {
        return;
    }
    probeDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(probeTimeoutMs);
    prepareRestart(argc, argv);
    // Where the GL may be a known release, its names settle the verdict before the toolkit
    // starts, sparing a second start with softpipe.
    if (knownReleaseLoaded()) {
        const std::optional<ProbeMessage> names = answerOf(startProbe(nullptr));
        if (!names || names->final) {
            if (names) {
                apply(chooseGlDriver(names->result, probeInChild));
            }
            return;
        }
    }
    drawInProgram = true;
}

void confirmLineSafeDriver() {
    if (!drawInProgram) {
        return;
    }
    drawInProgram = false;
    const DriverChoice choice = chooseGlDriver(probeProgramGl(), probeInChild);
    apply(choice);
    if (choice.driver != nullptr) {
        // Mesa keeps the driver it started with; no window is open yet.
        std::fflush(stdout);
        execv(restart.path, restart.arguments.data());
        std::perror("tessaloran: starting anew with softpipe");
        std::_Exit(1);
    }
}
