#include "engine/disturbedCallsUnit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr std::uint64_t kMillisecond = 1'000'000;

CallDisturbance disturbance(std::uint64_t wait, std::uint64_t steal, int start = 0, int end = 0) {
    CallDisturbance result;
    result.durationNanoseconds = 100 * kMillisecond;
    result.waitNanoseconds = wait;
    result.stealNanoseconds = steal;
    result.processorAtStart = start;
    result.processorAtEnd = end;
    return result;
}

TEST(DisturbedCall, WaitAndStealBeyondOnePercentOrAMoveDisturbACall) {
    struct Case {
        const char* what;
        CallDisturbance call;
        bool expected;
    };
    const Case cases[] = {
        {"quiet", disturbance(20'000, 0), false},
        {"waited exactly 1 %", disturbance(kMillisecond, 0), false},
        {"waited just over 1 %", disturbance(kMillisecond + 1, 0), true},
        {"wait and steal together over 1 %", disturbance(600'000, 600'000), true},
        {"steal alone", disturbance(0, 10 * kMillisecond), true},
        {"moved to another processor", disturbance(0, 0, 0, 1), true},
        {"processor unknown on both sides", disturbance(0, 0, -1, -1), false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.call.disturbed(), c.expected) << c.what;
}

TEST(DisturbedCall, DifferencesOfTheReadingsOnBothSides) {
    platform::DisturbanceReading before{1000, 50, 3, 1, 700};
    platform::DisturbanceReading after{101'000, 80, 5, 1, 900};
    CallDisturbance call = disturbanceBetween(before, after);
    EXPECT_EQ(call.durationNanoseconds, 100'000u);
    EXPECT_EQ(call.waitNanoseconds, 30u);
    EXPECT_EQ(call.involuntarySwitches, 2u);
    EXPECT_EQ(call.stealNanoseconds, 200u);
    EXPECT_FALSE(call.moved());

    // Across a move the steal readings are of two processors' counters, and a counter that
    // could not be read on one side does not count.
    after.processor = 0;
    after.waitNanoseconds = 0;
    call = disturbanceBetween(before, after);
    EXPECT_EQ(call.stealNanoseconds, 0u);
    EXPECT_EQ(call.waitNanoseconds, 0u);
    EXPECT_TRUE(call.moved());
}

std::vector<TimedCall> calls(int count, std::vector<int> disturbed = {}, int failed = -1) {
    std::vector<TimedCall> made(static_cast<std::size_t>(count));
    for (int call = 0; call < count; ++call)
        made[static_cast<std::size_t>(call)].cycles = 100u + call;
    for (int call : disturbed)
        made[static_cast<std::size_t>(call)].disturbance = disturbance(5 * kMillisecond, 0);
    if (failed >= 0) made[static_cast<std::size_t>(failed)].failed = true;
    return made;
}

TEST(DisturbedCall, AnotherCallUntilTenAreCleanWithinTwentyExtra) {
    struct Case {
        const char* what;
        std::vector<TimedCall> made;
        bool replacing;
        bool expected;
    };
    const Case cases[] = {
        {"fewer than ten", calls(9), false, true},
        {"ten clean", calls(10), true, false},
        {"one of ten disturbed", calls(10, {4}), true, true},
        {"one disturbed, not replacing", calls(10, {4}), false, false},
        {"replaced by a clean call", calls(11, {4}), true, false},
        {"a failed call", calls(10, {4}, 7), true, false},
        {"twenty extra calls made",
         calls(30, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}),
         true, false},
        {"nineteen extra calls made",
         calls(29, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}), true,
         true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wantsAnotherCall(c.made, c.replacing), c.expected) << c.what;
}

TEST(DisturbedCall, TheTenLeastDisturbedInRunOrder) {
    using Chosen = std::array<std::size_t, kRunsPerTest>;
    EXPECT_EQ(leastDisturbedCalls(calls(10)), (Chosen{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(leastDisturbedCalls(calls(13, {1, 4, 9})), (Chosen{0, 2, 3, 5, 6, 7, 8, 10, 11, 12}));
    // Too few clean calls: the disturbed ones that waited least fill the ten.
    std::vector<TimedCall> made = calls(12, {0, 1, 2, 3});
    made[2].disturbance.waitNanoseconds = 2 * kMillisecond;
    made[3].disturbance.waitNanoseconds = 3 * kMillisecond;
    EXPECT_EQ(leastDisturbedCalls(made), (Chosen{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(DisturbedCall, StoredCallsFillTheRowsAndFlags) {
    TestCalls test;
    test.made = calls(12, {3, 6});
    test.made[11].milliseconds = 42;
    test.stored = leastDisturbedCalls(test.made);
    ResultRow cycles{}, milliseconds{};
    RunFlags flags{};
    flags.fill(1);
    storeCalls(test, cycles, milliseconds, flags);
    EXPECT_EQ(cycles, (ResultRow{100, 101, 102, 104, 105, 107, 108, 109, 110, 111}));
    EXPECT_EQ(milliseconds[9], 42u);
    EXPECT_EQ(flags, RunFlags{});
    EXPECT_EQ(test.extraCalls(), 2);
    EXPECT_EQ(test.cleanCalls(), 10);
}

}  // namespace
