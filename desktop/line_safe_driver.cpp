// Where and when the line probe runs, and what the program does with its verdict. Mesa picks its
// driver once in a process, when its GL first opens the display, which glutInit does; so a driver
// other than the default must be asked for before glutInit, or the program starts itself anew
// with it.
//
// Where the GL's names may settle the verdict (a known release is loaded), a child process reads
// them before glutInit. Otherwise the probe is drawn after glutInit, in the very GL context that
// the program's window then takes over (GLUT_USE_CURRENT_CONTEXT), on the toolkit's own display
// connection: the context is one the program needs anyway, and the shaders the probe's lines
// need are ready for the first frame. While it draws, a fault or a hang in the GL starts the
// program anew without the probe, as if the probe had told nothing. Softpipe's probe, needed only
// where the default GL drops the lines, runs in a child, since this process keeps its driver.
//
// Beside this file: the toolkit's display hook (toolkit_display), the probe's drawing through GLX
// (probe_drawing), the probe children (probe_child) and the guard around the probe drawn in the
// program's own GL (fault_guard).
#include "desktop/line_safe_driver.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <link.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "desktop/fault_guard.h"
#include "desktop/line_probe.h"
#include "desktop/probe_child.h"
#include "desktop/probe_drawing.h"
#include "desktop/toolkit_display.h"

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
