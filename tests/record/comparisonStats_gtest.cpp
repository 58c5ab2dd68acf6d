#include "record/comparisonStatsUnit.h"

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
    Verdict verdict;
};

// The reference ran in kReferenceCalls cycles and halfAndHalf(5, 6) milliseconds.
TEST(ComparisonStats, ADifferenceIsRealOnlyWhenItsIntervalLiesBeyondTheFloor) {
    const ResultRow oneFastCall = {88, 100, 101, 103, 104, 99, 102, 100, 105, 101};
    const std::vector<PairCase> cases = {
        {"the same calls", kReferenceCalls, {}, BenchUnit::Cycles, 1.0, false, Verdict::Within},
        {"every call 10 % slower",
         scaled(kReferenceCalls, 1.1),
         {},
         BenchUnit::Cycles,
         1.1,
         true,
         Verdict::Real},
        {"every call 10 % faster",
         scaled(kReferenceCalls, 1 / 1.1),
         {},
         BenchUnit::Cycles,
         0.91,
         true,
         Verdict::Real},
        {"2 % apart, within the floor",
         scaled(kReferenceCalls, 1.02),
         {},
         BenchUnit::Cycles,
         1.02,
         true,
         Verdict::Within},
        // Its interval, 1.000 to 1.040, reaches from within a measured floor of 2 % beyond it.
        {"2 % apart, across a measured floor of 2 %", scaled(kReferenceCalls, 1.02), 0.02,
         BenchUnit::Cycles, 1.02, true, Verdict::Inconclusive},
        {"10 % apart, within a measured floor of 15 %", scaled(kReferenceCalls, 1.1), 0.15,
         BenchUnit::Cycles, 1.1, true, Verdict::Within},
        {"best 12 % lower, the other calls alike",
         oneFastCall,
         {},
         BenchUnit::Cycles,
         0.88,
         false,
         Verdict::Within},
        {"never run", {}, {}, BenchUnit::Cycles, std::nullopt, false, Verdict::NotCompared},
        {"0 ms best",
         halfAndHalf(0, 5),
         {},
         BenchUnit::Milliseconds,
         std::nullopt,
         false,
         Verdict::NotCompared},
        // Whole milliseconds: half the pairs of calls 5 and 6 apart say nothing of the other half.
        {"milliseconds of 6 and 7 against 5 and 6",
         halfAndHalf(6, 7),
         {},
         BenchUnit::Milliseconds,
         1.2,
         true,
         Verdict::Inconclusive},
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
            EXPECT_EQ(test.verdict, c.verdict) << c.name;
            EXPECT_EQ(test.significant, c.verdict == Verdict::Real) << c.name;
            EXPECT_DOUBLE_EQ(test.floor, c.floor.value_or(kRunToRunFloor)) << c.name;
        }
    }
}

// Bit j of a test's disturbed calls for each j of `columns`.
std::uint16_t calls(std::initializer_list<int> columns) {
    std::uint16_t bits = 0;
    for (const int column : columns) bits |= static_cast<std::uint16_t>(1U << column);
    return bits;
}

struct QualityCase {
    const char* name;
    ResultRow calls;          // the machine's cycles in every test
    RecordQuality machine;    // of its run
    RecordQuality reference;  // of the reference's run (kReferenceCalls)
    bool referenceBehind;     // the reference lies behind its machine's best
    Verdict verdict;
    InconclusiveReason reason;
    bool faster;
};

// What a record's run report says decides as much as its figures: disturbed calls leave the
// test, and an unsteady or slow-phase run cannot give a verdict.
TEST(ComparisonStats, ARecordsRunQualityCanLeaveATestInconclusive) {
    const ResultRow threeSlow = {101, 100, 102, 100, 101, 103, 100, 140, 141, 142};
    RecordQuality unsteady;
    unsteady.unsteady.fill(true);
    RecordQuality threeDisturbed, fiveDisturbed, wideSpread;
    threeDisturbed.disturbedCalls.fill(calls({7, 8, 9}));
    fiveDisturbed.disturbedCalls.fill(calls({0, 2, 4, 6, 8}));
    wideSpread.spreads.fill(0.13);
    const std::vector<QualityCase> cases = {
        {"a steady copy 10 % slower",
         scaled(kReferenceCalls, 1.1),
         {},
         {},
         false,
         Verdict::Real,
         InconclusiveReason::None,
         false},
        {"a steady copy 10 % faster",
         scaled(kReferenceCalls, 1 / 1.1),
         {},
         {},
         false,
         Verdict::Real,
         InconclusiveReason::None,
         true},
        // The interval runs from 0.98 to 1.40: no difference shown, none ruled out.
        {"3 of 10 calls 40 % slow, no true difference",
         threeSlow,
         {},
         {},
         false,
         Verdict::Inconclusive,
         InconclusiveReason::IntervalAcrossFloor,
         false},
        {"those 3 calls disturbed, so left out",
         threeSlow,
         threeDisturbed,
         {},
         false,
         Verdict::Within,
         InconclusiveReason::None,
         false},
        {"a steady copy 10 % slower of an unsteady reference",
         scaled(kReferenceCalls, 1.1),
         {},
         unsteady,
         false,
         Verdict::Inconclusive,
         InconclusiveReason::UnsteadyRun,
         false},
        {"an unsteady machine",
         kReferenceCalls,
         unsteady,
         {},
         false,
         Verdict::Inconclusive,
         InconclusiveReason::UnsteadyRun,
         false},
        {"five clean calls left",
         scaled(kReferenceCalls, 1.1),
         fiveDisturbed,
         {},
         false,
         Verdict::Inconclusive,
         InconclusiveReason::FewCleanCalls,
         false},
        {"a reference in a slow phase of its machine",
         scaled(kReferenceCalls, 1.1),
         {},
         {},
         true,
         Verdict::Inconclusive,
         InconclusiveReason::SlowerThanItsMachine,
         false},
        // Calls of the machine spreading 13 % raise its floor past the interval's 1.08 to 1.12.
        {"a copy 10 % slower whose own calls spread 13 %",
         scaled(kReferenceCalls, 1.1),
         wideSpread,
         {},
         false,
         Verdict::Within,
         InconclusiveReason::None,
         false},
    };
    const ResultTable reference = everyTest(kReferenceCalls, runsOf(9));
    for (const QualityCase& c : cases) {
        const ResultTable results = everyTest(c.calls, runsOf(9));
        ComparedMachine referenceSide{&reference, {}, &c.reference, {}};
        if (c.referenceBehind) referenceSide.behind.fill(0.2);
        const MachineComparison comparison =
            compareMachine({&results, {}, &c.machine, {}}, referenceSide, BenchUnit::Cycles);
        for (const TestComparison& test : comparison.tests) {
            EXPECT_EQ(test.verdict, c.verdict) << c.name;
            EXPECT_EQ(test.reason, c.reason) << c.name;
            EXPECT_EQ(test.faster, c.faster) << c.name;
        }
        EXPECT_EQ(comparison.count(c.verdict), kTestCount) << c.name;
    }
}

// A copy 7 % slower: its 95 % interval (1.059 to 1.080) lies beyond the floor, so a test on its
// own would call it real; the family's 99.5 % interval (1.049 to 1.090) does not.
TEST(ComparisonStats, TheTenTestsAreOneFamily) {
    const ResultTable reference = everyTest(kReferenceCalls, runsOf(9));
    const ResultTable copy = everyTest(scaled(kReferenceCalls, 1.07), runsOf(9));
    const MachineComparison comparison =
        compareMachine({&copy, {}}, {&reference, {}}, BenchUnit::Cycles);
    const TestComparison& test = comparison.tests[0];
    ASSERT_TRUE(test.low && test.high && test.estimate);
    EXPECT_NEAR(*test.low, 1.0485, 1e-4);
    EXPECT_NEAR(*test.high, 1.09, 1e-4);
    EXPECT_NEAR(*test.estimate, 1.07, 1e-4);
    EXPECT_EQ(test.verdict, Verdict::Inconclusive);
    EXPECT_LT(test.pValue, kSignificanceLevel / kTestCount);
    // Holm: all ten tests share the smallest p-value, so each is adjusted by ten.
    EXPECT_NEAR(test.adjustedPValue, std::min(1.0, kTestCount * test.pValue), 1e-12);
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

RecordQuality machineOf(const char* host, const char* processor, double spread = 0) {
    RecordQuality quality;
    quality.host = host;
    quality.processor = processor;
    quality.spreads[0] = spread;
    return quality;
}

// One machine's runs, told apart by the host and processor their reports name: a run whose best
// lies beyond its floor above the machine's best was made in a slow phase of its host.
TEST(ComparisonStats, RunsOfOneMachineAreHeldAgainstItsBestOnRecord) {
    const RecordQuality a = machineOf("a", "EPYC"), other = machineOf("b", "EPYC"),
                        unnamed = machineOf("a", ""), spreading = machineOf("a", "EPYC", 0.25);
    const ResultTable best = withBests({100}), near = withBests({104}), slow = withBests({120}),
                      faster = withBests({50}), failed = withBests({0});
    MeasuredFloors measured{};
    measured[0] = 0.3;
    const std::vector<MachineRun> runs = {
        {0, &near, &a, nullptr},          // 4 % behind: within the floor
        {1, &slow, &a, nullptr},          // 20 % behind: flagged
        {2, &best, &a, nullptr},          // the machine's best
        {3, &slow, &other, nullptr},      // another host, alone on it
        {4, &faster, &unnamed, nullptr},  // no processor named: no machine known
        {5, &slow, &spreading, nullptr},  // its own calls spread 25 %
        {6, &slow, &a, &measured},        // its repeated runs spread 30 %
        {7, &failed, &a, nullptr},        // never ran the test
    };
    const auto behind = behindTheirMachines(runs, BenchUnit::Cycles);
    ASSERT_EQ(behind.size(), 1u);
    ASSERT_TRUE(behind.count(1));
    ASSERT_TRUE(behind.at(1)[0].has_value());
    EXPECT_NEAR(*behind.at(1)[0], 0.2, 1e-12);
    for (std::size_t test = 1; test < behind.at(1).size(); ++test) EXPECT_FALSE(behind.at(1)[test]);
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
