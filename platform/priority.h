#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Process and thread priority of the benchmark thread.
//
// "Raised" means nice -20 for the calling thread, and SCHED_FIFO at its highest priority only
// where the kernel does not throttle real-time threads (sched_rt_runtime_us is -1). With the
// usual throttle (950 ms of real-time work per second) the kernel stops a busy SCHED_FIFO
// thread for about 50 ms once a second, which lands inside a timed call and inflates it; nice
// -20 alone gives the benchmark thread the processor without such stops. Only the calling
// thread is raised: with two processors, raising every thread of the program would starve the
// window system. Linux keeps the nice value per thread, so both settings stay on the calling
// thread. Without the privilege for either, the call leaves that setting as it was.

#include <string>

namespace platform {

struct PriorityState {
    int niceValue = 0;
    int schedulingPolicy = 0;
    int schedulingPriority = 0;
};

// What the calling thread runs at now.
PriorityState savePriority();

// Whether real-time threads run unthrottled: <procRoot>/sys/kernel/sched_rt_runtime_us reads
// -1. Any other value, or none readable, counts as throttled.
bool realTimeUnthrottled(const std::string& procRoot = "/proc");

// Raises the process priority (nice -20) and then, where real-time threads run unthrottled,
// the thread priority (SCHED_FIFO, highest). Returns whether every setting it chose was
// granted; a refused setting stays as it was.
[[nodiscard]] bool raisePriority(const std::string& procRoot = "/proc");

// Puts back the thread's policy and priority first, then its nice value, exactly as saved.
void restorePriority(const PriorityState& saved);

}  // namespace platform
