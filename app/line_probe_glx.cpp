// The probe, through Xlib and GLX, in a child process, so that a probe that crashes or hangs does
// not take the program with it. Mesa picks its driver once in a process, when its GL first opens
// the display, so the program's own GL must start with the right one: it waits for the verdict
// before glutInit where the GL's names can settle it, and otherwise starts itself anew should
// the drawing call for softpipe.
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
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/line_probe.h"

namespace {

// Probes that have not answered by then are given up, and nothing changes.
constexpr int probeTimeoutMs = 5000;

const char* probeDisplay = nullptr;  // the toolkit's -display, or nullptr for DISPLAY

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

// Loads Mesa's code into the program before the probe's child is forked, without starting it:
// the child inherits it, and the toolkit's GL finds it loaded. Loading it is most of the time a
// GL takes to start, so the probe costs little more than its drawing. Mesa 25.0's GLX library
// (Debian 13) links its drivers; Mesa 22.3 (Debian 12) loads them from the dri folder beside it,
// swrast for software rendering, with the flags Mesa's loader uses.
void loadMesaAhead() {
    void* glx = dlopen("libGLX_mesa.so.0", RTLD_LAZY);
    char folder[PATH_MAX];
    if (glx != nullptr && dlinfo(glx, RTLD_DI_ORIGIN, folder) == 0) {
        dlopen((std::string(folder) + "/dri/swrast_dri.so").c_str(), RTLD_NOW | RTLD_GLOBAL);
    }
}

// Whether the driver library of a known release is loaded (after loadMesaAhead).
bool knownReleaseLoaded() {
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

// Draws the probe segments into the back buffer of an unmapped window with the visual the
// program's window asks for (RGB, double-buffered), reads the picture back and judges it. A GL
// that does not tell its names on the screen is judged by its name here if it can be.
ProbeResult drawProbe(Display* display, XVisualInfo* visual, bool judgeByName) {
    ProbeResult result;
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
    if (const auto settled = resultWithoutDrawing(result.renderer, nullptr);
        settled && judgeByName) {
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

// What a probe child writes to the program: a message once it knows the renderer, final if the
// GL's names settle the verdict, and a final one once it has drawn if they do not.
struct ProbeMessage {
    bool final = false;
    ProbeResult result;
};

// The child's work. The default GL (driver nullptr) may be settled by its names; softpipe, the
// remedy, is always drawn.
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
        return;
    }
    if (driver == nullptr) {
        const auto settled = resultFromScreen(display, visual->screen);
        send(settled.has_value(), settled.value_or(ProbeResult{}));
        if (settled) {
            return;
        }
    }
    send(true, drawProbe(display, visual, driver == nullptr));
}

// A probe child at work: its process and the read end of its pipe.
struct RunningProbe {
    pid_t child = -1;
    int answers = -1;
};

// Start-up waits for the probes until then at most: probeTimeoutMs after the first one started.
std::chrono::steady_clock::time_point probeDeadline;

RunningProbe startProbe(const char* driver) {
    loadMesaAhead();  // at once the second time: it is loaded
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

// The child's next message, waiting for it until the deadline; nothing if it has none by then.
std::optional<ProbeMessage> nextMessage(const RunningProbe& probe) {
    if (probe.child < 0) {
        return std::nullopt;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        probeDeadline - std::chrono::steady_clock::now());
    pollfd answer{probe.answers, POLLIN, 0};
    ProbeMessage message;
    if (left.count() <= 0 || poll(&answer, 1, static_cast<int>(left.count())) != 1 ||
        read(probe.answers, &message, sizeof message) != sizeof message) {
        return std::nullopt;
    }
    message.result.renderer[sizeof message.result.renderer - 1] = '\0';
    return message;
}

// Ends the child, whether it has finished or not, and reaps it.
void endProbe(RunningProbe& probe) {
    if (probe.child > 0) {
        kill(probe.child, SIGKILL);
        waitpid(probe.child, nullptr, 0);
    }
    if (probe.answers >= 0) {
        close(probe.answers);
    }
    probe = RunningProbe{};
}

// The child's final message, skipping the one that only names the GL; nothing if it has none by
// the deadline.
std::optional<ProbeMessage> finalMessage(const RunningProbe& probe) {
    std::optional<ProbeMessage> message;
    while ((message = nextMessage(probe)) && !message->final) {
    }
    return message;
}

// The probe chooseGlDriver runs for softpipe: a child from start to end.
ProbeResult probeInChild(const char* driver) {
    RunningProbe probe = startProbe(driver);
    const std::optional<ProbeMessage> message = finalMessage(probe);
    endProbe(probe);
    return message ? message->result : ProbeResult{};
}

// The default GL's probe while it runs beside the toolkit's start, and the program's arguments as
// main got them, to start it anew with softpipe if the probe shows dropped lines.
RunningProbe drawing;
std::vector<char*> arguments;

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
    setting.userDriver = std::getenv("GALLIUM_DRIVER");
    setting.softwareAsked = std::getenv("LIBGL_ALWAYS_SOFTWARE") != nullptr ||
                            std::getenv("MESA_LOADER_DRIVER_OVERRIDE") != nullptr;
    setting.directRendering = setting.userDriver == nullptr && !setting.softwareAsked &&
                              offersDirectRendering(probeDisplay);
    if (!needsProbe(setting)) {
        return;
    }
    probeDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(probeTimeoutMs);
    RunningProbe probe = startProbe(nullptr);
    // Where the GL may be a known release, its names settle the verdict before the toolkit starts,
    // sparing a second start with softpipe.
    if (knownReleaseLoaded()) {
        const std::optional<ProbeMessage> names = nextMessage(probe);
        if (!names || names->final) {
            endProbe(probe);
            if (names) {
                apply(chooseGlDriver(names->result, probeInChild));
            }
            return;
        }
    }
    drawing = probe;
    arguments.assign(argv, argv + argc + 1);
}

void confirmLineSafeDriver() {
    if (drawing.child < 0) {
        return;
    }
    const std::optional<ProbeMessage> seen = finalMessage(drawing);
    endProbe(drawing);
    if (!seen) {
        return;
    }
    const DriverChoice choice = chooseGlDriver(seen->result, probeInChild);
    apply(choice);
    if (choice.driver != nullptr) {
        // Mesa keeps the driver it started with; no window is open yet. The program's own path,
        // not /proc/self/exe, keeps its process name.
        std::fflush(stdout);
        char path[PATH_MAX];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        path[length > 0 ? length : 0] = '\0';
        execv(length > 0 ? path : "/proc/self/exe", arguments.data());
        std::perror("tessaloran: starting anew with softpipe");
        std::_Exit(1);
    }
}
