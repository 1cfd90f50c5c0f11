#include "desktop/fault_guard.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

Restart restart;

namespace {

// The signals a faulting or hanging GL raises, the last one from the guard's own timer.
constexpr int guardedSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM};
struct sigaction savedActions[std::size(guardedSignals)];

void startAnewWithoutProbe(int) {
    execve(restart.path, restart.arguments.data(), restart.failedEnvironment.data());
    _exit(1);
}

}  // namespace

void prepareRestart(int argc, char** argv) {
    const ssize_t length = readlink("/proc/self/exe", restart.path, sizeof restart.path - 1);
    if (length > 0) {
        restart.path[length] = '\0';
    } else {
        std::snprintf(restart.path, sizeof restart.path, "/proc/self/exe");
    }
    restart.arguments.assign(argv, argv + argc + 1);
}

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
