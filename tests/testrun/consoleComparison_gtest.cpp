#include "testrun/consoleComparisonUnit.h"

#include <gtest/gtest.h>

#include "support/records.h"

namespace {

// After a run of --repeat the running machine, the reference, brings its measured floor: a
// stored machine 10 % slower in every call is then real only when that floor is below 10 %.
TEST(ConsoleComparison, TheRunsOfRepeatSetTheRunningMachinesFloor) {
    const ResultRow calls = {100, 101, 100, 102, 103, 100, 101, 104, 100, 101};
    ResultRow slower;
    for (std::size_t run = 0; run < calls.size(); ++run) slower[run] = calls[run] * 11 / 10;
    const std::deque<TCpuRecord> records = {testMachine("Slower", slower, runsOf(5))};
    TCpuRecord own = makeOwnSystem();
    own.Results = testMachine("", calls, runsOf(5)).Results;
    for (const double floor : {0.12, 0.02}) {
        MeasuredFloors floors;
        floors.fill(floor);
        const ConsoleComparison comparison =
            compareWithReference(records, {}, &own, std::nullopt, BenchUnit::Cycles, floors);
        ASSERT_EQ(comparison.stored.size(), 1u);
        EXPECT_DOUBLE_EQ(comparison.stored[0].tests[0].floor, std::max(floor, kRunToRunFloor));
        EXPECT_EQ(comparison.stored[0].tests[0].significant, floor < 0.1) << floor;
        EXPECT_EQ(comparison.ratioText(0)(&own), "ref");
    }
}

}  // namespace
