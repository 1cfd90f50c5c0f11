// The guard around the probe drawn in the program's own GL: while it is armed, a fault in the GL,
// or the probe's deadline passing, starts the program anew without the probe, as if the probe had
// told nothing.
#pragma once

#include <limits.h>

#include <chrono>
#include <vector>

// Set only in the environment of a start anew after the probe faulted or hung in the program's
// own GL: that start does not probe.
inline constexpr char probeFailedVariable[] = "TESSALORAN_LINE_PROBE_FAILED";

// Starting the program anew, made ready before the probe draws so that a signal handler can do
// it with execve alone: the program's own path (not /proc/self/exe, which would change its
// process name), its arguments as main got them, and its environment, with probeFailedVariable
// added for a start after a failed probe.
struct Restart {
    char path[PATH_MAX] = "";
    std::vector<char*> arguments;
    std::vector<char*> failedEnvironment;
};
extern Restart restart;

// Fills in the path and the arguments; the environment waits for armGuard.
void prepareRestart(int argc, char** argv);

// Until disarmGuard, a fault, or the time left passing, starts the program anew without the
// probe.
void armGuard(std::chrono::milliseconds left);
void disarmGuard();
