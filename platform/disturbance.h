#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// What kept the calling thread from its processor, as the kernel counts it. Read on both sides
// of a timed call, never inside it: each reading costs a few tens of microseconds (three small
// reads of /proc and a system call) and touches memory the kernels do not.

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// One moment's counters. Each is a running total; a call's share is the difference between the
// readings after and before it. A counter the system does not expose reads 0 on both sides.
struct DisturbanceReading {
    std::uint64_t rawNanoseconds = 0;  // CLOCK_MONOTONIC_RAW: the reading's own moment
    // Time this thread spent runnable but waiting for a processor (the second field of
    // /proc/thread-self/schedstat).
    std::uint64_t waitNanoseconds = 0;
    // Times the scheduler took the processor from this thread (getrusage(RUSAGE_THREAD)).
    std::uint64_t involuntarySwitches = 0;
    // The processor the thread is on (sched_getcpu); -1 when unknown.
    int processor = -1;
    // Time the hypervisor ran something else on that processor (its line of /proc/stat, the
    // eighth value), in nanoseconds; counted in the system's clock ticks, usually 10 ms each.
    std::uint64_t stealNanoseconds = 0;
};

// The counters now, for the calling thread. Never fails: what cannot be read reads 0 (or -1).
DisturbanceReading readDisturbance();

// The run-queue wait in nanoseconds from the text of /proc/thread-self/schedstat ("8012 324484
// 1": time on a processor, time waiting, time slices); nothing when the text does not hold it.
std::optional<std::uint64_t> parseScheduleWait(std::string_view schedstatText);

// The steal ticks of `processor` from the text of /proc/stat (the eighth value of its "cpuN"
// line); nothing when there is no such line or it has fewer values.
std::optional<std::uint64_t> parseStealTicks(std::string_view statText, int processor);

}  // namespace platform
