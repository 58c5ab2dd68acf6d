#include "results/comparisonStatsUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/records.h"

namespace {

struct RankCase {
    const char* name;
    std::vector<double> a, b;
    double u, pValue;
    bool exact;
};

TEST(ComparisonStats, MannWhitneyUTwoSided) {
    const std::vector<RankCase> cases = {
        {"three below three", {1, 2, 3}, {4, 5, 6}, 0, 0.1, true},
        {"three above three", {4, 5, 6}, {1, 2, 3}, 9, 0.1, true},
        {"interleaved", {1, 3, 5, 7}, {2, 4, 6, 8}, 6, 0.6857143, true},
        {"ten below ten",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         {11, 12, 13, 14, 15, 16, 17, 18, 19, 20},
         0,
         1.0825088e-5,
         true},
        {"ties: normal approximation",
         {10, 11, 11, 12, 13},
         {11, 12, 13, 13, 14},
         5.5,
         0.1625869,
         false},
        {"ten with ties, shifted 3 %",
         {41, 41, 41, 42, 42, 43, 41, 44, 41, 45},
         {42, 42, 42, 43, 43, 44, 42, 45, 42, 46},
         27,
         0.0791177,
         false},
        {"all equal", {5, 5, 5}, {5, 5}, 3, 1, false},
        {"an empty sample", {}, {1, 2}, 0, 1, false},
    };
    for (const RankCase& c : cases) {
        const RankTest test = mannWhitneyU(c.a, c.b);
        EXPECT_DOUBLE_EQ(test.u, c.u) << c.name;
        EXPECT_NEAR(test.pValue, c.pValue, c.pValue * 1e-6) << c.name;
        EXPECT_EQ(test.exact, c.exact) << c.name;
    }
}

// A table whose every test ran in `cycles` and `milliseconds`.
ResultTable everyTest(const ResultRow& cycles, const ResultRow& milliseconds) {
    ResultTable table{};
    for (int test = 0; test < kTestCount; ++test) {
        cycleRow(table, test) = cycles;
        millisecondRow(table, test) = milliseconds;
    }
    return table;
}

constexpr ResultRow kReferenceCalls = {100, 101, 100, 102, 103, 100, 101, 104, 100, 101};

ResultRow scaled(const ResultRow& row, double factor) {
    ResultRow result;
    for (std::size_t run = 0; run < row.size(); ++run)
        result[run] = static_cast<std::uint32_t>(std::lround(row[run] * factor));
    return result;
}

struct PairCase {
    const char* name;
    ResultRow calls;              // in `unit`; the other unit's calls all passed
    std::optional<double> floor;  // measured for both machines, every test
    BenchUnit unit;
    std::optional<double> ratio;
    bool rankTestRejects;
    bool significant;
};

// The reference ran in kReferenceCalls cycles and halfAndHalf(5, 6) milliseconds.
TEST(ComparisonStats, ADifferenceIsRealOnlyBeyondBothTheRankTestAndTheFloor) {
    const ResultRow oneFastCall = {88, 100, 101, 103, 104, 99, 102, 100, 105, 101};
    const std::vector<PairCase> cases = {
        {"the same calls", kReferenceCalls, {}, BenchUnit::Cycles, 1.0, false, false},
        {"every call 10 % slower",
         scaled(kReferenceCalls, 1.1),
         {},
         BenchUnit::Cycles,
         1.1,
         true,
         true},
        {"every call 10 % faster",
         scaled(kReferenceCalls, 1 / 1.1),
         {},
         BenchUnit::Cycles,
         0.91,
         true,
         true},
        {"3 % apart, within the floor",
         scaled(kReferenceCalls, 1.03),
         {},
         BenchUnit::Cycles,
         1.03,
         true,
         false},
        {"3 % apart, beyond a measured floor of 2 %", scaled(kReferenceCalls, 1.03), 0.02,
         BenchUnit::Cycles, 1.03, true, true},
        {"10 % apart, within a measured floor of 12 %", scaled(kReferenceCalls, 1.1), 0.12,
         BenchUnit::Cycles, 1.1, true, false},
        {"best 12 % lower, the other calls alike",
         oneFastCall,
         {},
         BenchUnit::Cycles,
         0.88,
         false,
         false},
        {"never run", {}, {}, BenchUnit::Cycles, std::nullopt, false, false},
        {"0 ms best", halfAndHalf(0, 5), {}, BenchUnit::Milliseconds, std::nullopt, false, false},
        {"milliseconds 20 % slower",
         halfAndHalf(6, 7),
         {},
         BenchUnit::Milliseconds,
         1.2,
         true,
         true},
    };
    const ResultTable reference = everyTest(kReferenceCalls, halfAndHalf(5, 6));
    for (const PairCase& c : cases) {
        const ResultRow other = c.calls == ResultRow{} ? ResultRow{} : runsOf(9);
        const ResultTable results =
            c.unit == BenchUnit::Cycles ? everyTest(c.calls, other) : everyTest(other, c.calls);
        MeasuredFloors floors;
        floors.fill(c.floor);
        const MachineComparison comparison =
            compareMachine({&results, floors}, {&reference, floors}, c.unit);
        for (const TestComparison& test : comparison.tests) {
            ASSERT_EQ(test.ratio.has_value(), c.ratio.has_value()) << c.name;
            if (c.ratio) {
                EXPECT_NEAR(*test.ratio, *c.ratio, 1e-9) << c.name;
            }
            EXPECT_EQ(test.pValue < kSignificanceLevel, c.rankTestRejects) << c.name;
            EXPECT_EQ(test.significant, c.significant) << c.name;
            EXPECT_DOUBLE_EQ(test.floor, c.floor.value_or(kRunToRunFloor)) << c.name;
        }
    }
}

TEST(ComparisonStats, TheLargerOfTheTwoFloorsHolds) {
    EXPECT_DOUBLE_EQ(pairFloor(0.02, 0.03), 0.03);
    EXPECT_DOUBLE_EQ(pairFloor(0.08, std::nullopt), 0.08);
    EXPECT_DOUBLE_EQ(pairFloor(0.02, std::nullopt), kRunToRunFloor);
    EXPECT_DOUBLE_EQ(pairFloor(std::nullopt, std::nullopt), kRunToRunFloor);
}

// Test k ran with best `bests[k]` (0: never run), the other calls one above it.
ResultTable withBests(const std::vector<std::uint32_t>& bests) {
    ResultTable table{};
    for (std::size_t test = 0; test < bests.size(); ++test) {
        if (bests[test] == 0) continue;
        cycleRow(table, static_cast<int>(test)) = halfAndHalf(bests[test], bests[test] + 1);
        millisecondRow(table, static_cast<int>(test)) = runsOf(1);
    }
    return table;
}

struct IndexCase {
    const char* name;
    std::vector<std::uint32_t> machine, reference;
    std::optional<double> index;
    int testsInIndex;
};

TEST(ComparisonStats, IndexIsTheGeometricMeanOverTheTestsBothRan) {
    const std::vector<IndexCase> cases = {
        {"twice as slow and twice as fast", {200, 50}, {100, 100}, 100, 2},
        {"10 % slower everywhere", {110, 220, 330}, {100, 200, 300}, 100 / 1.1, 3},
        {"twice as fast where both ran", {50, 70, 0}, {100, 0, 90}, 200, 1},
        {"nothing in common", {50, 0}, {0, 90}, std::nullopt, 0},
    };
    for (const IndexCase& c : cases) {
        const ResultTable machine = withBests(c.machine), reference = withBests(c.reference);
        const MachineComparison comparison =
            compareMachine({&machine, {}}, {&reference, {}}, BenchUnit::Cycles);
        ASSERT_EQ(comparison.index.has_value(), c.index.has_value()) << c.name;
        if (c.index) {
            EXPECT_NEAR(*comparison.index, *c.index, 1e-9) << c.name;
        }
        EXPECT_EQ(comparison.testsInIndex, c.testsInIndex) << c.name;
    }
}

// Repeated runs are the records of one file that follow one another with the same descriptions.
TEST(ComparisonStats, RepeatedRunsOfOneFileMeasureTheirFloor) {
    std::deque<TCpuRecord> records = {
        testMachine("A", halfAndHalf(100, 101), runsOf(1)),
        testMachine("A", halfAndHalf(104, 110), runsOf(1)),
        testMachine("A", halfAndHalf(102, 103), runsOf(1)),
        testMachine("B", halfAndHalf(90, 91), runsOf(1)),
        testMachine("A", halfAndHalf(120, 121), runsOf(1)),
        testMachine("A", halfAndHalf(100, 100), runsOf(1)),
        testMachine("A", {}, {}),
    };
    const std::vector<ResultFileRecords> files = {{"one.dat", 0, 5}, {"two.dat", 5, 2}};
    const std::vector<MeasuredFloors> floors = repeatedRunFloors(records, files, BenchUnit::Cycles);
    ASSERT_EQ(floors.size(), records.size());
    for (std::size_t record = 0; record < 3; ++record) {
        ASSERT_TRUE(floors[record][0].has_value()) << record;
        EXPECT_NEAR(*floors[record][0], 0.04, 1e-12) << record;
        EXPECT_FALSE(floors[record][1].has_value()) << "test 2 never ran";
    }
    // B between the runs of A; the A after it alone in its group; a run that never ran the test.
    for (std::size_t record = 3; record < records.size(); ++record)
        EXPECT_FALSE(floors[record][0].has_value()) << record;
}

}  // namespace
