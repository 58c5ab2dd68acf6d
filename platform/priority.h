#pragma once
// Process and thread priority of the benchmark thread.
//
// "Raised" means nice -20 and SCHED_FIFO at its highest priority for the calling thread only:
// with two processors, raising every thread of the program would starve the window system.
// Linux keeps the nice value per thread, so both settings stay on the calling thread. Without
// the privilege for either, the call leaves that setting as it was. Failures are silent.

namespace platform {

struct PriorityState {
    int niceValue = 0;
    int schedulingPolicy = 0;
    int schedulingPriority = 0;
};

// What the calling thread runs at now.
PriorityState savePriority();

// Raises the process priority (nice -20) and then the thread priority (SCHED_FIFO, highest).
void raisePriority();

// Puts back the thread's policy and priority first, then its nice value, exactly as saved.
void restorePriority(const PriorityState& saved);

}  // namespace platform
