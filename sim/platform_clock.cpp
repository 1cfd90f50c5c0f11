#include "sim/platform_clock.h"

#include <chrono>

namespace {
const auto startTime = std::chrono::steady_clock::now();
}

std::int32_t platformMilliseconds() {
    const auto elapsed = std::chrono::steady_clock::now() - startTime;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
    // Unsigned conversion keeps the low 32 bits; the signed view of them is well defined.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}
