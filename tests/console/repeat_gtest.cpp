#include "console/repeatUnit.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"

namespace {

// Runs whose test 0 has the bests given (its other calls 10 % slower); 0 makes one call fail.
std::vector<RunTable> runsWithBests(const std::vector<std::uint32_t>& bests) {
    std::vector<RunTable> runs;
    for (const std::uint32_t best : bests) {
        RunTable run = emptyRunTable(kTestCount);
        for (int test = 0; test < kTestCount; ++test) {
            cycleRow(run, test).fill(110);
            millisecondRow(run, test).fill(40);
        }
        cycleRow(run, 0).fill(best + best / 10);
        cycleRow(run, 0)[3] = best;
        if (best == 0) millisecondRow(run, 0)[3] = 0;
        runs.push_back(run);
    }
    return runs;
}

TEST(RepeatedRuns, SpreadIsTheLargestBestOverTheSmallest) {
    struct Case {
        const char* what;
        std::vector<std::uint32_t> bests;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"one run", {100}, std::nullopt},
        {"equal bests", {100, 100, 100}, 0.0},
        {"5 % apart, in any order", {105, 100, 103}, 0.05},
        {"a run with a failed call", {100, 0, 104}, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto spread = runToRunSpread(runsWithBests(c.bests), 0);
        ASSERT_EQ(spread.has_value(), c.expected.has_value()) << c.what;
        if (spread) {
            EXPECT_NEAR(*spread, *c.expected, 1e-12) << c.what;
        }
    }
}

TEST(RepeatedRuns, ReportAndExportGiveEachTestsBestsAndSpread) {
    const std::vector<RunTable> runs = runsWithBests({200, 210});
    const auto lines = repeatReportLines(programTestsTiming(passingKernel), runs);
    ASSERT_EQ(lines.size(), 1u + kTestCount);
    EXPECT_EQ(lines[0],
              "Разброс лучших результатов между 2 запусками (наибольший / наименьший − 1):");
    EXPECT_EQ(lines[1], "тест 1, 8-битное кодирование Хэмминга: 5.0 %");
    EXPECT_EQ(lines[2], "тест 2, 8-битное декодирование Хэмминга: 0.0 %");

    const RepeatExport exported = exportRepeat(runs);
    EXPECT_EQ(exported.runs, 2);
    EXPECT_EQ(exported.bestCycles[0], (std::vector<std::optional<std::uint32_t>>{200, 210}));
    EXPECT_EQ(exported.bestMilliseconds[0], (std::vector<std::optional<std::uint32_t>>{40, 40}));
    ASSERT_EQ(exported.spreads.size(), static_cast<std::size_t>(kTestCount));
    EXPECT_NEAR(*exported.spreads[0], 0.05, 1e-12);
}

}  // namespace
