// Probes that run in a child process, which may load a GL driver of its own choosing: the
// default GL's names read before the toolkit starts, and softpipe's drawing. The child answers
// the program once, through a pipe, and start-up waits for it until the probe's deadline.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>

#include "desktop/line_probe.h"

// Probes that have not answered by then are given up, and nothing changes.
inline constexpr int probeTimeoutMs = 5000;

// Start-up waits for the probes until then at most: probeTimeoutMs after the check began.
extern std::chrono::steady_clock::time_point probeDeadline;

std::chrono::milliseconds timeLeft();

// What a probe child writes to the program, once: for the default GL, what its names tell
// (final where they settle the verdict); for softpipe, what its drawing shows.
struct ProbeMessage {
    bool final = false;
    ProbeResult result;
};

// A probe child at work: its process and the read end of its pipe.
struct RunningProbe {
    pid_t child = -1;
    int answers = -1;
};

// Starts a child that probes with the Mesa driver named (nullptr: the GL's default choice, whose
// names alone it reads).
RunningProbe startProbe(const char* driver);

// The child's message, waiting for it until the deadline; nothing if it has none by then. The
// child is ended, whether it has finished or not, and reaped.
std::optional<ProbeMessage> answerOf(RunningProbe probe);

// The probe chooseGlDriver runs for softpipe: a child from start to end.
ProbeResult probeInChild(const char* driver);
