#include "sim/clock.h"

#include <cstdint>
#include <ctime>

#include "model/scene_state.h"
#include "sim/platform_clock.h"

std::int32_t (*millisecondClock)() = platformMilliseconds;

void tickClock() {
    const long double tickMs = millisecondsBetween(millisecondClock(), scene.lastTickMs);
    scene.frameStep = static_cast<double>(tickMs * 0.001 * scene.timeScale);
    scene.lastTickMs = millisecondClock();
    const long double emissionMs = millisecondsBetween(millisecondClock(), scene.emissionBaseMs);
    scene.sinceEmission = emissionMs * 0.001 * scene.timeScale;
}

void runEpochStep() {
    std::tm epoch{};
    epoch.tm_year = 99;
    epoch.tm_mon = 11;
    epoch.tm_mday = 1;
    epoch.tm_hour = 0;
    epoch.tm_min = 0;
    epoch.tm_sec = 1;
    epoch.tm_isdst = 0;
    const double seconds = std::difftime(std::time(nullptr), std::mktime(&epoch));
    scene.epochSeconds = static_cast<std::int32_t>(seconds);
}

// The offset a date-based start would add: the whole degrees the planet has moved since the
// epoch, brought below 360. It is worked out but not applied: every run starts from the same
// position, the table's angles.
long double initialPhase(int slot) {
    const long double moved = scene.epochSeconds * scene.planets[slot].orbitRate;
    long long degrees = static_cast<long long>(moved);
    while (degrees >= 360) {
        degrees -= 360;
    }
    static_cast<void>(degrees);
    return 0;
}
