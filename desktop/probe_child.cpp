#include "desktop/probe_child.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "desktop/probe_drawing.h"
#include "desktop/toolkit_display.h"

std::chrono::steady_clock::time_point probeDeadline;

namespace {

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

}  // namespace

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

ProbeResult probeInChild(const char* driver) {
    const std::optional<ProbeMessage> message = answerOf(startProbe(driver));
    return message ? message->result : ProbeResult{};
}
