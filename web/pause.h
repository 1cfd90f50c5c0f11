// The page's Pause: the program's millisecond clock stands still while the page has paused it.
#pragma once

#include <cstdint>

// The clock that runs on while paused: the platform's (sim/platform_clock.h); the tests point it
// at a clock they advance by exact milliseconds.
extern std::int32_t (*unpausedClock)();

// The unpaused clock less every span the page was paused, standing at its reading of the moment
// of pausing until the page resumes. The program reads it as its millisecond clock, so a pause
// makes every idle tick's step zero and the first tick after it covers only the real time since
// the resume.
std::int32_t pausableMilliseconds();

// Whether the page has the clock paused now.
bool clockPaused();

// What the page calls (pause.js, and share.js for a view opened from a link): non-zero pauses,
// zero resumes.
extern "C" void webSetPaused(int paused);
