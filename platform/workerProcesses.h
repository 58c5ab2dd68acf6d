#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Timed calls made by several worker processes at once, one per logical processor.
//
// Workers are processes, not threads, because the kernels address their buffers through
// program-wide variables: each worker is forked from the caller with the caller's memory, and
// whatever it writes (its work area) becomes its own. Every round starts together at a barrier:
// the caller waits until every worker has reported (ready, or its previous call), then releases
// all of them. The barrier is a message per worker over a local socket pair, so a worker that
// dies never leaves the others or the caller waiting on it: its end of the socket closes with
// it. Whatever happens, every worker is killed and reaped before runWorkers returns.

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/disturbance.h"

namespace platform {

// One timed call as the worker measured it.
struct WorkerCall {
    std::uint32_t cycles = 0;
    std::uint32_t milliseconds = 0;
    bool failed = false;  // the kernel reported a processor exception
    // What disturbed the worker, read just before the call's timing and just after it.
    DisturbanceReading before{};
    DisturbanceReading after{};
};

// Why the workers did not all make all their calls.
enum class WorkerFailureKind {
    None,
    StartRefused,    // socketpair or fork failed; `detail` is the errno
    PinningRefused,  // sched_setaffinity failed in the worker; `detail` is the errno
    KilledBySignal,  // `detail` is the signal
    ExitedEarly,     // `detail` is the exit status
    NoAnswer,        // no report within the time-out
};

struct WorkerFailure {
    WorkerFailureKind kind = WorkerFailureKind::None;
    int worker = 0;     // from 0, in the order of WorkerPlan::processors
    int processor = 0;  // the logical processor it was pinned to
    int detail = 0;
};

struct WorkerPlan {
    std::vector<int> processors;           // one worker per entry, pinned to that logical processor
    int calls = 0;                         // timed calls per worker, at least
    std::chrono::milliseconds timeout{0};  // the longest wait for every worker's next report
    // Asked after each round beyond the first `calls`, with every call so far (per worker, per
    // call): whether every worker makes one more. None: exactly `calls` rounds.
    std::function<bool(const std::vector<std::vector<WorkerCall>>& made)> anotherRound{};
};

struct WorkerOutcome {
    std::vector<std::vector<WorkerCall>> calls;  // per worker, per call; whole only without failure
    WorkerFailure failure;
};

// The logical processors this process may run on (its affinity mask), ascending.
std::vector<int> usableProcessors();

// Forks one worker per processor of `plan`. A worker pins itself to its processor, runs
// `prepare` once, reports ready and then makes `plan.calls` calls of `call` (and more while
// `plan.anotherRound` says so), each released by the barrier and reported back. The first failure
// (the lowest worker's, when several are seen at once) ends the round: every worker is killed
// (SIGKILL) and reaped, and the calls reported so far are returned with it. A worker also dies with
// the caller (PR_SET_PDEATHSIG). `prepare` and `call` run only in the workers, which end with
// _exit: they must not rely on anything being flushed or destroyed. `call` is told its worker's
// index (from 0, in the order of `plan.processors`).
WorkerOutcome runWorkers(const WorkerPlan& plan, const std::function<void()>& prepare,
                         const std::function<WorkerCall(int worker)>& call);

}  // namespace platform
