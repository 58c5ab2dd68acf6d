#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "console/historyFolderUnit.h"
#include "record/machineHistoryUnit.h"
#include "renderers/runJsonUnit.h"
#include "support/temporaryFolder.h"

namespace {

// A run whose every test's best is `best` (its other calls slower), test 9 failed where asked.
RecordedRun runWithBest(double best, const char* kernelCode = "code",
                        const char* processor = "EPYC", bool test9Failed = false) {
    RecordedRun run{kernelCode, processor, {}};
    for (int test = 0; test < kTestCount; ++test)
        for (int call = 0; call < kRunsPerTest; ++call) {
            cycleRow(run.results, test)[call] = static_cast<std::uint32_t>(best) + 5u * call;
            millisecondRow(run.results, test)[call] = 40;
        }
    if (test9Failed) cycleRow(run.results, 9)[3] = millisecondRow(run.results, 9)[3] = 0;
    return run;
}

TEST(MachineHistory, ARunIsMeasuredAgainstTheBestOfItsOwnCodeAndProcessor) {
    struct Case {
        const char* what;
        std::vector<RecordedRun> history;
        int onRecord;
        std::optional<double> slowerBy;
    };
    const Case cases[] = {
        {"no history", {}, 0, std::nullopt},
        {"the best of three",
         {runWithBest(1000), runWithBest(775), runWithBest(900)},
         3,
         1000.0 / 775 - 1},
        {"other code and another processor do not count",
         {runWithBest(500, "other"), runWithBest(500, "code", "Xeon"), runWithBest(1000)},
         1,
         0.0},
        {"faster than every run on record", {runWithBest(1100)}, 1, 1000.0 / 1100 - 1},
    };
    for (const Case& c : cases) {
        const HistoryExport standing = measureAgainstHistory(c.history, runWithBest(1000));
        EXPECT_EQ(standing.runsOnRecord, c.onRecord) << c.what;
        ASSERT_EQ(standing.slowerBy.has_value(), c.slowerBy.has_value()) << c.what;
        if (c.slowerBy) {
            EXPECT_NEAR(*standing.slowerBy, *c.slowerBy, 1e-9) << c.what;
            EXPECT_NEAR(*standing.bestIndex, 100 * (1 + *c.slowerBy), 1e-7) << c.what;
        }
    }
}

TEST(MachineHistory, ATestFailedOnEitherSideIsLeftOutOfTheMeasure) {
    RecordedRun run = runWithBest(1000, "code", "EPYC", true);
    // The recorded run is 10 % faster except in test 9, which this run failed.
    RecordedRun recorded = runWithBest(1000 / 1.1);
    for (int call = 0; call < kRunsPerTest; ++call) cycleRow(recorded.results, 9)[call] = 10;
    const HistoryExport standing = measureAgainstHistory(std::vector{recorded}, run);
    EXPECT_NEAR(standing.slowerBy.value_or(0), 0.1, 1e-3);
}

TEST(MachineHistory, OnlyARunBeyondTheFloorGetsItsLine) {
    const struct {
        std::optional<double> slowerBy;
        std::optional<std::string> line;
    } cases[] = {
        {std::nullopt, std::nullopt},
        {0.05, std::nullopt},
        {-0.2, std::nullopt},
        {0.051, "этот запуск на 5 % медленнее лучшего на этой машине"},
        {0.29, "этот запуск на 29 % медленнее лучшего на этой машине"},
    };
    for (const auto& c : cases) {
        HistoryExport standing;
        standing.slowerBy = c.slowerBy;
        EXPECT_EQ(historyLine(standing), c.line) << c.slowerBy.value_or(-1);
    }
}

// Runs of one order whose bests are `bests`, oldest first.
std::vector<RecordedRun> runsInOrder(const char* order, std::vector<double> bests,
                                     const char* processor = "EPYC") {
    std::vector<RecordedRun> runs;
    for (const double best : bests) {
        runs.push_back(runWithBest(best, "code", processor));
        runs.back().order = order;
    }
    return runs;
}

TEST(MachineHistory, TheOrdersAreSetSideBySideOverAsManyLatestRunsOfEach) {
    struct Case {
        const char* what;
        std::vector<double> rounds, inOrder;
        int runsPerOrder;
        std::optional<double> roundsSpread, inOrderSpread;
        std::optional<std::string> line;
    };
    const Case cases[] = {
        {"too few runs in order", {1000, 1010}, {1000, 1200}, 0, {}, {}, {}},
        {"three of each, the run itself among the rounds",
         {1000, 1020},
         {1000, 1300, 1100},
         3,
         0.02,
         0.3,
         "лучшие тестов расходятся между запусками этой машины на 2 % кругами и на 30 % подряд "
         "(медиана по тестам; запусков каждого порядка: 3)"},
        {"only the latest of the longer list",
         {2000, 1000, 1020},
         {1000, 1300, 1100},
         3,
         0.02,
         0.3,
         "лучшие тестов расходятся между запусками этой машины на 2 % кругами и на 30 % подряд "
         "(медиана по тестам; запусков каждого порядка: 3)"},
        {"both steady: no line", {1000, 1020}, {1000, 1040, 1010}, 3, 0.02, 0.04, {}},
    };
    for (const Case& c : cases) {
        std::vector<RecordedRun> history = runsInOrder("rounds", c.rounds);
        for (RecordedRun& run : runsInOrder("in-order", c.inOrder)) history.push_back(run);
        for (RecordedRun& run : runsInOrder("rounds", {1000, 500, 500}, "Xeon"))
            history.push_back(run);
        RecordedRun run = runWithBest(1000);
        run.order = "rounds";
        const HistoryExport standing = measureAgainstHistory(history, run);
        EXPECT_EQ(standing.runsPerOrder, c.runsPerOrder) << c.what;
        EXPECT_NEAR(standing.roundsSpread.value_or(-1), c.roundsSpread.value_or(-1), 1e-9)
            << c.what;
        EXPECT_NEAR(standing.inOrderSpread.value_or(-1), c.inOrderSpread.value_or(-1), 1e-9)
            << c.what;
        EXPECT_EQ(steadinessLine(standing), c.line) << c.what;
    }
}

RunExport reportOf(const RecordedRun& run) {
    RunExport exported;
    exported.program = "Korvex 2";
    exported.kernelCode = run.kernelCode;
    exported.machine.description.processor = "run 3";  // typed: not what tells machines apart
    exported.machine.processor = run.processor;
    for (int test = 0; test < kTestCount; ++test)
        exported.testNames.push_back({"id-" + std::to_string(test), "test"});
    exported.results.assign(run.results.begin(), run.results.end());
    if (!run.order.empty()) exported.order = run.order;
    return exported;
}

TEST(MachineHistory, AReportReadsBackAsTheRunItTells) {
    RecordedRun run = runWithBest(1234, "abc", "AMD EPYC 7B13");
    run.order = "rounds";
    const std::optional<RecordedRun> back = parseRecordedRun(runJson(reportOf(run)));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kernelCode, "abc");
    EXPECT_EQ(back->processor, "AMD EPYC 7B13");
    EXPECT_EQ(back->results, run.results);
    EXPECT_EQ(back->order, "rounds");
    EXPECT_FALSE(parseRecordedRun("{\"schema\": 2"));
    EXPECT_FALSE(parseRecordedRun("[]"));
}

TEST(HistoryFolder, KeepsTheNewestRunsAndReadsThemBackOldestFirst) {
    TemporaryFolder folder;
    std::ostringstream err;
    const std::time_t start = 1796638502;
    for (int run = 0; run < static_cast<int>(kKeptRuns) + 3; ++run)
        ASSERT_TRUE(keepInHistory(folder.path(), runJson(reportOf(runWithBest(1000 + run))),
                                  start + 60 * run, err));
    // Two runs in one second keep both.
    ASSERT_TRUE(keepInHistory(folder.path(), runJson(reportOf(runWithBest(5000))),
                              start + 60 * (kKeptRuns + 2), err));
    writeBytes(folder / "notes.json", std::vector<std::uint8_t>{'{', '}'});
    EXPECT_EQ(err.str(), "");
    std::vector<std::string> names = namesIn(folder.path());
    EXPECT_EQ(names.size(), kKeptRuns + 1) << "the 20 newest and the file that is no report";
    const std::vector<RecordedRun> history = readHistory(folder.path());
    ASSERT_EQ(history.size(), kKeptRuns);
    EXPECT_EQ(cycleRow(history.front().results, 0)[0], 1000u + 4);
    EXPECT_EQ(cycleRow(history.back().results, 0)[0], 5000u);
}

}  // namespace
