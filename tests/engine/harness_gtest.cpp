#include "engine/harnessUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace {

// Hands out scripted counter readings in the order the harness asks for them.
struct ScriptedClock {
    std::vector<std::uint64_t> timeStamps;
    std::vector<std::uint32_t> ticks;
    std::size_t nextTimeStamp = 0;
    std::size_t nextTick = 0;
    std::uint64_t serialisedTimeStamp() { return timeStamps.at(nextTimeStamp++); }
    std::uint32_t tickCount() { return ticks.at(nextTick++); }
};

// Counter readings that advance by a million cycles and one tick a read; the disturbance readings
// say the calls in `waiting` (counted from 0) waited 5 ms of their 50 ms.
struct DisturbedClock {
    std::vector<int> waiting;
    std::uint64_t timeStamp = 0;
    std::uint32_t ticks = 0;
    int readings = 0;
    std::uint64_t wait = 0;
    std::uint64_t serialisedTimeStamp() { return timeStamp += 1'000'000; }
    std::uint32_t tickCount() { return ++ticks; }
    platform::DisturbanceReading disturbance() {
        const int call = readings / 2;
        if (readings++ % 2 == 1 && std::find(waiting.begin(), waiting.end(), call) != waiting.end())
            wait += 5'000'000;
        return {static_cast<std::uint64_t>(readings) * 50'000'000, wait, 0, 0, 0};
    }
};

int kernelCalls = 0;

std::int32_t kernelFailingOnThirdRun(std::uint8_t* const*, std::uint8_t* const*,
                                     std::uint8_t* const*) {
    return ++kernelCalls == 3 ? 1 : 0;
}

std::uint8_t* const* lastArguments[3] = {};

std::int32_t kernelRecordingArguments(std::uint8_t* const* a, std::uint8_t* const* b,
                                      std::uint8_t* const* c) {
    lastArguments[0] = a;
    lastArguments[1] = b;
    lastArguments[2] = c;
    return 0;
}

TEST(CycleValue, MillionsOfCyclesWithTheIntegerFactor4294) {
    struct Case {
        std::uint64_t c0, c1;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {0, 999'999, 0},                                           // under a million
        {0, 1'000'000, 1},                                         // exactly one million
        {1000, 5'000'001'000, 4999},                               // H = 1, L = 705 032 704
        {0xFFFF'FF00, 0x1'0000'0000 + 1'999'744, 2},               // straddles 2^32
        {0, 0xFFFF'FFFF'FFFF'FFFF, 4294u * 0xFFFF'FFFFu + 4294u},  // wraps modulo 2^32
    };
    for (const Case& c : cases)
        EXPECT_EQ(cycleValue(c.c0, c.c1), c.expected) << c.c0 << " .. " << c.c1;
    // The same difference gives the same value whether or not it straddles 2^32.
    EXPECT_EQ(cycleValue(0xFFFF'0000, 0x1'0000'0000 + 12'345'678),
              cycleValue(0, 12'345'678 + 0x1'0000));
}

TEST(MillisecondValue, DifferenceIsRightAcrossTheTickCounterWrap) {
    EXPECT_EQ(millisecondValue(100, 350), 250u);
    EXPECT_EQ(millisecondValue(0xFFFF'FFF0, 0x10), 0x20u);
    EXPECT_EQ(millisecondValue(7, 7), 0u);
}

TEST(TimeKernel, FailedRunGetsFlagAndZerosWhileTheOthersAreMeasured) {
    ScriptedClock clock;
    for (int run = 0; run < kRunsPerTest; ++run) {
        clock.timeStamps.push_back(1'000'000'000ull * run);
        clock.timeStamps.push_back(1'000'000'000ull * run + 3'000'000ull * (run + 1));
        clock.ticks.push_back(1000u * run);
        clock.ticks.push_back(1000u * run + 10u + run);
    }
    ResultRow cycles{}, milliseconds{};
    RunFlags flags{};
    kernelCalls = 0;
    timeKernelWith(clock, kernelFailingOnThirdRun, cycles, milliseconds, nullptr, nullptr, nullptr,
                   flags);
    EXPECT_EQ(kernelCalls, kRunsPerTest);
    for (int run = 0; run < kRunsPerTest; ++run) {
        SCOPED_TRACE(run);
        if (run == 2) {
            EXPECT_EQ(flags[run], 1);
            EXPECT_EQ(cycles[run], 0u);
            EXPECT_EQ(milliseconds[run], 0u);
        } else {
            EXPECT_EQ(flags[run], 0);
            EXPECT_EQ(cycles[run], 3u * (run + 1));
            EXPECT_EQ(milliseconds[run], 10u + run);
        }
    }
}

TEST(TimeKernel, PassesTheThreeReferencesUnchangedInOrder) {
    std::uint8_t* pointers[3] = {};
    ResultRow cycles{}, milliseconds{};
    RunFlags flags{};
    flags.fill(7);
    TimeKernel(kernelRecordingArguments, cycles, milliseconds, &pointers[0], &pointers[1],
               &pointers[2], flags);
    EXPECT_EQ(lastArguments[0], &pointers[0]);
    EXPECT_EQ(lastArguments[1], &pointers[1]);
    EXPECT_EQ(lastArguments[2], &pointers[2]);
    for (int run = 0; run < kRunsPerTest; ++run) {
        EXPECT_EQ(flags[run], 0);
        EXPECT_EQ(cycles[run], 0u);  // an empty kernel takes far less than a million cycles
    }
}

TEST(TimeTestCalls, DisturbedCallsAreReplacedWhenAsked) {
    struct Case {
        const char* what;
        std::vector<int> waiting;
        bool replacing;
        std::size_t calls;
        std::array<std::size_t, kRunsPerTest> stored;
        int clean;
    };
    const Case cases[] = {
        {"quiet", {}, true, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 10},
        {"two disturbed, replaced", {2, 5}, true, 12, {0, 1, 3, 4, 6, 7, 8, 9, 10, 11}, 10},
        {"a replacement disturbed too", {2, 10}, true, 12, {0, 1, 3, 4, 5, 6, 7, 8, 9, 11}, 10},
        {"as they come", {2, 5}, false, 10, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DisturbedClock clock{c.waiting};
        TestCalls calls;
        kernelCalls = 0;
        timeTestCalls(clock, kernelFailingOnThirdRun, nullptr, nullptr, nullptr, c.replacing,
                      calls);
        // The third call fails: no call is replaced once one has failed.
        EXPECT_EQ(calls.made.size(), 10u);
        DisturbedClock again{c.waiting};
        timeTestCalls(again, kernelRecordingArguments, nullptr, nullptr, nullptr, c.replacing,
                      calls);
        EXPECT_EQ(calls.made.size(), c.calls);
        EXPECT_EQ(calls.stored, c.stored);
        EXPECT_EQ(calls.cleanCalls(), c.clean);
        EXPECT_EQ(calls.made[0].cycles, 1u);
        EXPECT_EQ(calls.made[0].milliseconds, 1u);
    }
}

TEST(TimeTestCalls, ACallWaitingThroughoutStopsAfterTwentyExtraCalls) {
    std::vector<int> everyCall(kRunsPerTest + kMostExtraCalls + 5);
    std::iota(everyCall.begin(), everyCall.end(), 0);
    DisturbedClock clock{everyCall};
    TestCalls calls;
    timeTestCalls(clock, kernelRecordingArguments, nullptr, nullptr, nullptr, true, calls);
    EXPECT_EQ(calls.extraCalls(), kMostExtraCalls);
    EXPECT_EQ(calls.cleanCalls(), 0);
    EXPECT_TRUE(calls.made[0].disturbance.waited());
}

}  // namespace
