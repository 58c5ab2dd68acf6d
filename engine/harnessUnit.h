#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The kernel timing harness: ten calls of one kernel, each measured in millions of time-stamp
// cycles and in milliseconds of the tick counter.

#include <cstdint>

#include "engine/disturbedCallsUnit.h"
#include "kernel/testKernel.h"
#include "platform/disturbance.h"
#include "platform/processorCounters.h"
#include "platform/systemClock.h"
#include "record/resultTableUnit.h"

// Millions of cycles in the 64-bit difference c1 - c0, as L / 1 000 000 + 4294 H modulo 2^32
// (H, L the high and low halves of the difference). The factor is the integer 4294, not
// 2^32 / 10^6, so that stored results stay comparable with those of other copies.
constexpr std::uint32_t cycleValue(std::uint64_t c0, std::uint64_t c1) {
    const std::uint64_t difference = c1 - c0;
    const auto high = static_cast<std::uint32_t>(difference >> 32);
    const auto low = static_cast<std::uint32_t>(difference);
    return low / 1000000u + 4294u * high;
}

// Ticks between two readings of the tick counter, modulo 2^32 (right across its wrap).
constexpr std::uint32_t millisecondValue(std::uint32_t t0, std::uint32_t t1) { return t1 - t0; }

// The real counters: CPUID then RDTSC, the system tick counter, and the disturbance readings.
struct ProcessorClock {
    static std::uint64_t serialisedTimeStamp() { return platform::serialisedTimeStamp(); }
    static std::uint32_t tickCount() { return platform::tickCount(); }
    static platform::DisturbanceReading disturbance() { return platform::readDisturbance(); }
};

// One call of `kernel` in the one timing bracket every run uses: tick t0, CPUID + RDTSC c0, the
// call, CPUID + RDTSC c1, tick t1; nothing but the call and the keeping of its result lies
// between the two counter reads. A failed call has zeros in every figure.
struct CallTiming {
    std::uint32_t cycles = 0;
    std::uint32_t milliseconds = 0;
    std::uint64_t ticks = 0;  // c1 - c0
    bool failed = false;
};

template <class Clock>
CallTiming timeCallWith(Clock& clock, TestKernel kernel, std::uint8_t* const* buffer1,
                        std::uint8_t* const* buffer2, std::uint8_t* const* buffer3) {
    const std::uint32_t t0 = clock.tickCount();
    const std::uint64_t c0 = clock.serialisedTimeStamp();
    const std::int32_t result = kernel(buffer1, buffer2, buffer3);
    const bool failed = result != 0;
    const std::uint64_t c1 = clock.serialisedTimeStamp();
    const std::uint32_t t1 = clock.tickCount();
    if (failed) return {0, 0, 0, true};
    return {cycleValue(c0, c1), millisecondValue(t0, t1), c1 - c0, false};
}

// Runs `kernel` ten times with the same three arguments, each run a timeCallWith. Between the
// two counter reads of a run there is nothing but the call and the noting of its result. A
// failed run gets flag 1 and zeros in both rows; the other runs go on and are measured normally.
template <class Clock>
void timeKernelWith(Clock& clock, TestKernel kernel, ResultRow& cycles, ResultRow& milliseconds,
                    std::uint8_t* const* buffer1, std::uint8_t* const* buffer2,
                    std::uint8_t* const* buffer3, RunFlags& flags) {
    for (int run = 0; run < kRunsPerTest; ++run) {
        const CallTiming call = timeCallWith(clock, kernel, buffer1, buffer2, buffer3);
        flags[run] = call.failed ? 1 : 0;
        cycles[run] = call.cycles;
        milliseconds[run] = call.milliseconds;
    }
}

inline void TimeKernel(TestKernel kernel, ResultRow& cycles, ResultRow& milliseconds,
                       std::uint8_t* const* buffer1, std::uint8_t* const* buffer2,
                       std::uint8_t* const* buffer3, RunFlags& flags) {
    ProcessorClock clock;
    timeKernelWith(clock, kernel, cycles, milliseconds, buffer1, buffer2, buffer3, flags);
}

// One call in the timing bracket (timeCallWith), with the disturbance read before the tick t0
// and after the tick t1.
template <class Clock>
TimedCall timeCall(Clock& clock, TestKernel kernel, std::uint8_t* const* buffer1,
                   std::uint8_t* const* buffer2, std::uint8_t* const* buffer3) {
    TimedCall call;
    const platform::DisturbanceReading before = clock.disturbance();
    const CallTiming timing = timeCallWith(clock, kernel, buffer1, buffer2, buffer3);
    const platform::DisturbanceReading after = clock.disturbance();
    call.failed = timing.failed;
    call.cycles = timing.cycles;
    call.milliseconds = timing.milliseconds;
    call.ticks = timing.ticks;
    call.disturbance = disturbanceBetween(before, after);
    return call;
}

// The calls of one test into `calls`: ten, and while `replacing` further ones as
// wantsAnotherCall says; the ten least disturbed are stored (all ten when not replacing).
template <class Clock>
void timeTestCalls(Clock& clock, TestKernel kernel, std::uint8_t* const* buffer1,
                   std::uint8_t* const* buffer2, std::uint8_t* const* buffer3, bool replacing,
                   TestCalls& calls) {
    calls.made.clear();
    calls.made.reserve(kRunsPerTest + kMostExtraCalls);
    calls.replacing = replacing;
    while (wantsAnotherCall(calls.made, replacing))
        calls.made.push_back(timeCall(clock, kernel, buffer1, buffer2, buffer3));
    calls.stored = leastDisturbedCalls(calls.made);
}
