// The page pauses and resumes the model through webSetPaused. Nothing in the program learns of
// it but its clock: keys, drags and frames go on as before, and every step of model time is
// zero while the clock stands. Plain C++: the build exports webSetPaused by name, and the native
// tests run this file over a clock of their own.
#include "web/pause.h"

#include "sim/platform_clock.h"

std::int32_t (*unpausedClock)() = platformMilliseconds;

namespace {

struct PauseState {
    bool paused = false;
    std::uint32_t standing = 0;  // the clock's reading while paused
    std::uint32_t skipped = 0;   // real milliseconds spent paused so far, all pauses together
};

PauseState pause;

// Unsigned arithmetic: the 32-bit readings wrap, and only their differences mean anything.
std::uint32_t runningReading() {
    return static_cast<std::uint32_t>(unpausedClock()) - pause.skipped;
}

}  // namespace

std::int32_t pausableMilliseconds() {
    return static_cast<std::int32_t>(pause.paused ? pause.standing : runningReading());
}

bool clockPaused() {
    return pause.paused;
}

extern "C" {

// `paused` non-zero stops the clock where it stands; zero lets it run on from there. Asking for
// the state it is already in changes nothing.
void webSetPaused(int paused) {
    if (paused != 0 && !pause.paused) {
        pause.standing = runningReading();
        pause.paused = true;
    } else if (paused == 0 && pause.paused) {
        pause.skipped = static_cast<std::uint32_t>(unpausedClock()) - pause.standing;
        pause.paused = false;
    }
}

}  // extern "C"
