#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The system tick counter and sleeping.

#include <cstdint>

namespace platform {

// Milliseconds of CLOCK_MONOTONIC, modulo 2^32: wraps to 0 after about 49.7 days, so callers
// take differences modulo 2^32.
std::uint32_t tickCount();

// Nanoseconds of CLOCK_MONOTONIC_RAW: the hardware clock as it runs, untouched by the time
// daemon's slewing, for measuring the time-stamp counter's rate against.
std::uint64_t rawMonotonicNanoseconds();

// Sleeps at least `milliseconds`, resuming after signals.
void sleepMilliseconds(std::uint32_t milliseconds);

}  // namespace platform
