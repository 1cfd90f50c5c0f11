// The operating system's monotonic clock, as real milliseconds since start-up in 32 bits.
#pragma once

#include <cstdint>

// Wraps modulo 2^32 after about 49.7 days; readings are only ever compared by their difference.
std::int32_t platformMilliseconds();
