#include "console/consoleComparisonUnit.h"

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

ResultRow scaledCalls(const ResultRow& calls, std::uint32_t percent) {
    ResultRow scaled;
    for (std::size_t run = 0; run < calls.size(); ++run) scaled[run] = calls[run] * percent / 100;
    return scaled;
}

struct MachineCase {
    const char* name;
    const char* ownHost;  // the running machine's; the stored runs were made on "web1"
    Verdict fast, slow;   // of the stored fast and slow runs against the running machine
};

// The run reports beside two result files name one machine, "web1" with an EPYC; its run 20 %
// slower than the other lies in a slow phase, so nothing compared with it is decided. The
// running machine, 10 % behind the faster, joins that machine when it is "web1" too, and then
// is itself in a slow phase.
TEST(ConsoleComparison, RunsOfOneMachineAreHeldAgainstItsBestOnRecord) {
    const ResultRow calls = {100, 101, 100, 102, 103, 100, 101, 104, 100, 101};
    const std::deque<TCpuRecord> records = {
        testMachine("fast", calls, runsOf(5)),
        testMachine("slow", scaledCalls(calls, 120), runsOf(5))};
    RecordQuality web1;
    web1.host = "web1";
    web1.processor = "AMD EPYC";
    std::vector<ResultFileRecords> files = {{"fast.dat", 0, 1}, {"slow.dat", 1, 1}};
    for (ResultFileRecords& file : files) file.quality = web1;
    TCpuRecord own = makeOwnSystem();
    own.Results = testMachine("", scaledCalls(calls, 110), runsOf(5)).Results;
    const std::vector<MachineCase> cases = {
        {"the running machine is another", "web2", Verdict::Real, Verdict::Inconclusive},
        {"the running machine is web1 too", "web1", Verdict::Inconclusive, Verdict::Inconclusive},
    };
    for (const MachineCase& c : cases) {
        RecordQuality ownQuality = web1;
        ownQuality.host = c.ownHost;
        const ConsoleComparison comparison = compareWithReference(
            records, files, &own, std::nullopt, BenchUnit::Cycles, {}, &ownQuality);
        ASSERT_EQ(comparison.stored.size(), 2u) << c.name;
        EXPECT_EQ(comparison.storedQuality[1], &*files[1].quality) << c.name;
        const TestComparison& fast = comparison.stored[0].tests[0];
        const TestComparison& slow = comparison.stored[1].tests[0];
        EXPECT_EQ(fast.verdict, c.fast) << c.name;
        EXPECT_EQ(slow.verdict, c.slow) << c.name;
        EXPECT_EQ(slow.reason, InconclusiveReason::SlowerThanItsMachine) << c.name;
        ASSERT_TRUE(slow.behind) << c.name;
        EXPECT_NEAR(*slow.behind, 0.2, 0.01) << c.name;
    }
}

}  // namespace
