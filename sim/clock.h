// The simulation clock: real milliseconds into simulated seconds at the user's time scale.
//
// Each idle tick starts with tickClock, which sets scene.frameStep (simulated seconds since the
// previous tick, rounded to a double) and scene.sinceEmission (simulated seconds since the last
// light-shell emission, recomputed from scratch at the current time scale, in extended precision).
#pragma once

#include <cstdint>

// Source of the millisecond clock. The program reads the platform clock; tests point this at a
// clock they advance by exact milliseconds.
extern std::int32_t (*millisecondClock)();

// Signed difference of two clock readings, correct across the 32-bit wrap (no signed overflow).
constexpr std::int32_t millisecondsBetween(std::int32_t later, std::int32_t earlier) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(later) -
                                     static_cast<std::uint32_t>(earlier));
}

void tickClock();

// Start-up: whole seconds from the epoch 1999-12-01 00:00:01 local time to now, into
// scene.epochSeconds.
void runEpochStep();

// Date-based start offset of planet slot k's orbit angle, in degrees. The model always starts
// from the table's angles, so this is 0; see the definition for the offset it works out.
long double initialPhase(int slot);
