#include "results/cpubenchUnit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/records.h"

namespace {

std::vector<std::string> captions(const ComparisonRows& list) {
    std::vector<std::string> names;
    for (const ComparisonRow& row : list.rows) names.push_back(descriptionText(row.record->Cpu));
    return names;
}

TEST(GetTestRows, CopiesTheTestsCycleAndMillisecondRows) {
    TCpuRecord record = emptyRecord();
    for (int row = 0; row < 20; ++row) record.Results[row].fill(static_cast<std::uint32_t>(row));
    for (int test = 1; test <= 10; ++test) {
        ResultRow cycles{}, milliseconds{};
        ASSERT_TRUE(GetTestRows(test, record, cycles, milliseconds));
        EXPECT_EQ(cycles, runsOf(2 * (test - 1)));
        EXPECT_EQ(milliseconds, runsOf(2 * (test - 1) + 1));
    }
    for (int test : {0, 11, -1}) {
        ResultRow cycles = runsOf(77), milliseconds = runsOf(78);
        EXPECT_FALSE(GetTestRows(test, record, cycles, milliseconds));
        EXPECT_EQ(cycles, runsOf(77)) << "nothing copied for test " << test;
        EXPECT_EQ(milliseconds, runsOf(78));
    }
}

TEST(Summary, MinimaAndAveragesOfTheTenRuns) {
    struct Case {
        const char* name;
        ResultRow cycles;
        TViborka expected;  // milliseconds: the same row halved
    };
    const Case cases[] = {
        {"steady", runsOf(100), {100, 100, 50, 50}},
        {"one failed run", {0, 100, 100, 100, 100, 100, 100, 100, 100, 100}, {0, 90, 0, 45}},
        {"truncating division", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 5, 0, 2}},
        {"sum above 2^32", runsOf(0xFFFFFFFF), {0xFFFFFFFF, 0xFFFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF}},
        {"never run", runsOf(0), {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        ResultRow milliseconds;
        for (int run = 0; run < 10; ++run) milliseconds[run] = c.cycles[run] / 2;
        const TViborka summary = summariseRuns(c.cycles, milliseconds);
        EXPECT_EQ(summary.MinCycles, c.expected.MinCycles) << c.name;
        EXPECT_EQ(summary.AvgCycles, c.expected.AvgCycles) << c.name;
        EXPECT_EQ(summary.MinMs, c.expected.MinMs) << c.name;
        EXPECT_EQ(summary.AvgMs, c.expected.AvgMs) << c.name;
    }
}

TEST(ComparisonRows, AscendingWithEqualValuesInLoadOrderAndTheOwnRowLast) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("slow", runsOf(300), runsOf(10), 3));
    systems.push_back(testMachine("equal A", runsOf(200), runsOf(30), 3));
    systems.push_back(testMachine("fast", runsOf(100), runsOf(20), 3));
    systems.push_back(testMachine("equal B", runsOf(200), runsOf(40), 3));
    TCpuRecord own = makeOwnSystem();
    own.Results[4] = runsOf(200);
    own.Results[5] = runsOf(5);

    const ComparisonRows cycles = buildComparisonRows(systems, own, 3, BenchUnit::Cycles);
    EXPECT_EQ(captions(cycles),
              (std::vector<std::string>{"fast", "equal A", "equal B", "Ваша система", "slow"}));
    EXPECT_TRUE(cycles.rows[3].isOwnSystem);
    EXPECT_EQ(cycles.BarScale, 300u);

    const ComparisonRows milliseconds =
        buildComparisonRows(systems, own, 3, BenchUnit::Milliseconds);
    EXPECT_EQ(captions(milliseconds),
              (std::vector<std::string>{"Ваша система", "slow", "fast", "equal A", "equal B"}));
    EXPECT_EQ(milliseconds.BarScale, 40u);
}

TEST(ComparisonRows, FailedTestSortsFirstAndTheOwnRowStaysBelowEqualLoadedRows) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("measured", runsOf(50), runsOf(50), 1));
    systems.push_back(testMachine("never ran", runsOf(0), runsOf(0), 1));
    const TCpuRecord own = makeOwnSystem();
    const ComparisonRows list = buildComparisonRows(systems, own, 1, BenchUnit::Cycles);
    EXPECT_EQ(captions(list), (std::vector<std::string>{"never ran", "Ваша система", "measured"}));
    EXPECT_EQ(comparisonCellText(list.rows[1], kValueColumn, BenchUnit::Cycles), "0");
}

TEST(ComparisonRows, EveryAverageZeroLeavesTheScaleAtOne) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("failed", runsOf(0), runsOf(0), 2));
    const TCpuRecord own = makeOwnSystem();
    EXPECT_EQ(buildComparisonRows(systems, own, 2, BenchUnit::Cycles).BarScale, 1u);
    const std::deque<TCpuRecord> none;
    EXPECT_EQ(buildComparisonRows(none, own, 2, BenchUnit::Milliseconds).BarScale, 1u);
}

TEST(ComparisonRows, TestOutsideOneToTenGivesAnEmptyList) {
    const std::deque<TCpuRecord> none;
    const TCpuRecord own = makeOwnSystem();
    for (int test : {0, 11}) {
        const ComparisonRows list = buildComparisonRows(none, own, test, BenchUnit::Cycles);
        EXPECT_TRUE(list.rows.empty());
        EXPECT_EQ(list.BarScale, 1u);
    }
}

TEST(ComparisonRows, LoadedRecordNamedLikeTheOwnSystemIsDrawnInItsColours) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("Ваша система", runsOf(10), runsOf(10), 1));
    systems.push_back(testMachine("Ваша система ", runsOf(10), runsOf(10), 1));
    const TCpuRecord own = makeOwnSystem();  // never run: value 0, so it sorts first
    const ComparisonRows list = buildComparisonRows(systems, own, 1, BenchUnit::Cycles);
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_TRUE(list.rows[0].drawnAsOwnSystem);
    EXPECT_TRUE(list.rows[0].isOwnSystem);
    EXPECT_TRUE(list.rows[1].drawnAsOwnSystem);
    EXPECT_FALSE(list.rows[1].isOwnSystem);
    EXPECT_EQ(comparisonCellText(list.rows[1], kFsbColumn, BenchUnit::Cycles), "133");
    EXPECT_EQ(captions(list)[2], "Ваша система ");
    EXPECT_FALSE(list.rows[2].drawnAsOwnSystem) << "the caption must match exactly";
}

TEST(ComparisonRows, CellTextsOfLoadedAndOwnRows) {
    std::deque<TCpuRecord> systems;
    TCpuRecord loaded = testMachine("Celeron", runsOf(0xFFFFFFFF), runsOf(7), 10);
    setDescriptionText(loaded.Memory, "256 МБ");
    setDescriptionText(loaded.Os, "Windows XP");
    systems.push_back(loaded);
    TCpuRecord own = makeOwnSystem();
    setDescriptionText(own.Fsb, "never shown");
    const ComparisonRows list = buildComparisonRows(systems, own, 10, BenchUnit::Cycles);
    ASSERT_EQ(list.rows.size(), 2u);
    const std::vector<std::string> loadedCells = {"Celeron",    "133",        "256 МБ",
                                                  "Windows XP", "4294967295", ""};
    const std::vector<std::string> ownCells = {"Ваша система", "", "", "", "0", ""};
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(comparisonCellText(list.rows[1], column, BenchUnit::Cycles), loadedCells[column]);
        EXPECT_EQ(comparisonCellText(list.rows[0], column, BenchUnit::Cycles), ownCells[column]);
    }
    EXPECT_EQ(comparisonCellText(list.rows[1], kValueColumn, BenchUnit::Milliseconds), "7");
}

TEST(BarLength, WidthTimesValueOverScaleTruncated) {
    struct Case {
        int width;
        std::uint32_t value;
        std::uint32_t scale;
        int length;
    };
    const Case cases[] = {
        {250, 300, 300, 250},
        {250, 150, 300, 125},
        {250, 1, 3, 83},
        {250, 0, 1, 0},
        {249, 2, 3, 166},
        {0, 5, 5, 0},
        {250, 0xFFFFFFFF, 0xFFFFFFFF, 250},  // the product needs 64 bits
        {1000, 4000000000u, 4294967295u, 931},
    };
    for (const Case& c : cases)
        EXPECT_EQ(barLength(c.width, c.value, c.scale), c.length)
            << c.width << " x " << c.value << " / " << c.scale;
}

// Memory that runs out building the comparison leaves out the later records until it fits.
TEST(ComparisonRows, MemoryRunningOutLeavesOutTheLaterHalfUntilItFits) {
    std::deque<TCpuRecord> systems(8, emptyRecord());
    systems.front().Results[0][0] = 1;
    std::uint64_t leftOut = 0;
    const std::size_t built = withinMemory(systems, leftOut, [&] {
        if (systems.size() > 2) throw std::bad_alloc();
        return systems.size();
    });
    EXPECT_EQ(built, 2u);
    EXPECT_EQ(leftOut, 6u);
    EXPECT_EQ(systems.front().Results[0][0], 1u);
}

}  // namespace
