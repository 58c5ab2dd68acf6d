#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// Timed calls with what disturbed them, and the choice of the ten calls a test stores when
// disturbed calls are replaced (the console runner's way; the windows keep ten consecutive
// calls).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/disturbance.h"
#include "record/resultTableUnit.h"

// A call is disturbed when its thread waited for a processor (run queue plus the hypervisor's
// steal) for more than this share of the call's own duration, or when it moved to another
// processor. The wait of a quiet machine is a few microseconds per call; a neighbour taking the
// processor for one time slice costs milliseconds.
inline constexpr double kDisturbedShare = 0.01;
// At most this many calls per test beyond its ten, in search of ten undisturbed ones.
inline constexpr int kMostExtraCalls = 20;

// What the counters say about one call, from the readings on both sides of it.
struct CallDisturbance {
    std::uint64_t durationNanoseconds = 0;  // between the two readings
    std::uint64_t waitNanoseconds = 0;
    std::uint64_t stealNanoseconds = 0;  // of the processor it started on; 0 when it moved
    std::uint64_t involuntarySwitches = 0;
    int processorAtStart = -1;  // -1 when unknown
    int processorAtEnd = -1;
    // Run in rounds: how much slower than their bests all tests of the call's round ran (its
    // host factor - 1), when that was beyond kSlowRoundShare (engine/roundsUnit.h); else 0.
    double slowRoundShare = 0;

    bool moved() const { return processorAtStart != processorAtEnd; }
    bool waited() const;
    bool inSlowRound() const { return slowRoundShare > 0; }
    bool disturbed() const { return waited() || moved() || inSlowRound(); }
    // Wait and steal as a share of the duration.
    double waitShare() const;
    // What the call lost, as a share of its duration: its wait and steal, and its round's
    // slowness (the order of "less disturbed").
    double lostShare() const { return waitShare() + slowRoundShare; }
};

CallDisturbance disturbanceBetween(const platform::DisturbanceReading& before,
                                   const platform::DisturbanceReading& after);

// One timed call: its two values (0 and 0 when it failed) and its disturbance.
struct TimedCall {
    std::uint32_t cycles = 0;
    std::uint32_t milliseconds = 0;
    bool failed = false;
    CallDisturbance disturbance;
    std::uint64_t ticks = 0;  // the time-stamp difference itself (0 when failed)
    // Run in rounds: the round (from 1; extra rounds after the tenth) and the call's place in
    // it (from 1); 0 when run as the tests come.
    int round = 0;
    int place = 0;
};

// Every call one test made, in run order, and the ten it stores.
struct TestCalls {
    std::vector<TimedCall> made;
    std::array<std::size_t, kRunsPerTest> stored{};  // indexes into `made`, ascending
    bool replacing = false;                          // whether disturbed calls were to be replaced

    int extraCalls() const { return static_cast<int>(made.size()) - kRunsPerTest; }
    // Stored calls that were not disturbed.
    int cleanCalls() const;
};

// Test k's calls at index k.
using RunCalls = std::vector<TestCalls>;

// Whether a test that has made `made` makes another call: always until it has ten; beyond that
// only when replacing, no call failed (a failure must show, and a failing kernel fails again),
// fewer than ten calls were clean, and fewer than kMostExtraCalls extra calls were made.
bool wantsAnotherCall(const std::vector<TimedCall>& made, bool replacing);

// The ten calls of `made` (at least ten) that were least disturbed: undisturbed ones first, then
// by their lost share, earlier before later at a tie; returned in run order.
std::array<std::size_t, kRunsPerTest> leastDisturbedCalls(const std::vector<TimedCall>& made);

// The stored calls' values into a test's two rows and its flags.
void storeCalls(const TestCalls& calls, ResultRow& cycles, ResultRow& milliseconds,
                RunFlags& flags);
