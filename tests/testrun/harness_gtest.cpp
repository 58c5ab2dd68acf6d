#include "testrun/harnessUnit.h"

#include <gtest/gtest.h>

#include <cstdint>
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

}  // namespace
