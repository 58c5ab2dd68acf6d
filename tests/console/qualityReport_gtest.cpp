#include "console/qualityReportUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"

namespace {

// The spread of a test (TestSummary::cycleSpread), as the quality report gives it.
TEST(QualityReport, SpreadIsTheMedianOverTheBestOfTheTenRuns) {
    const struct {
        ResultRow cycles;
        std::optional<double> spread;
    } cases[] = {
        {{100, 100, 100, 100, 100, 100, 100, 100, 100, 100}, 0.0},
        {{130, 100, 104, 106, 200, 102, 101, 103, 300, 107}, 0.05},  // median (104 + 106) / 2
        {{100, 110, 120, 130, 140, 150, 160, 170, 180, 190}, 0.45},
        {{100, 0, 100, 100, 100, 100, 100, 100, 100, 100}, std::nullopt},  // a failed run
    };
    for (const auto& test : cases) {
        const auto spread = summariseTest(test.cycles, ResultRow{}).cycleSpread();
        ASSERT_EQ(spread.has_value(), test.spread.has_value());
        if (spread) {
            EXPECT_NEAR(*spread, *test.spread, 1e-12);
        }
    }
}

const FakeTestTable kTests = programTestsTiming(passingKernel);

// Every test steady at 100 million cycles, except `unsteadyTest` (1 to 10, 0 for none), whose
// median is 6 % above its best.
ResultTable resultsWithUnsteadyTest(int unsteadyTest) {
    ResultTable results{};
    for (int test = 0; test < kTestCount; ++test) {
        results[2 * test].fill(100);
        if (test + 1 == unsteadyTest) std::fill_n(results[2 * test].begin() + 1, 9, 106);
    }
    return results;
}

bool hasLineContaining(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != line.npos; });
}

TEST(QualityReport, ListsEverySpreadAndWarnsOnlyAboveFivePerCent) {
    const RunConditions calm;
    const auto steady =
        qualityReportLines(kTests, assessRun(resultsWithUnsteadyTest(0), nullptr, calm));
    EXPECT_EQ(steady.size(), 1u + kTestCount);
    EXPECT_EQ(steady[1], "тест 1, 8-битное кодирование Хэмминга: 0.0 %");
    EXPECT_FALSE(hasLineContaining(steady, "Внимание"));

    const auto unsteady =
        qualityReportLines(kTests, assessRun(resultsWithUnsteadyTest(9), nullptr, calm));
    EXPECT_EQ(unsteady[9],
              "тест 9, YUV преобразование и преобразование Фурье(почти JPEG) - FPU: 6.0 %");
    EXPECT_TRUE(hasLineContaining(unsteady, "Внимание: разброс больше 5.0 % у тестов 9,"));
    EXPECT_TRUE(hasLineContaining(unsteady, "причин, которые программа умеет распознать, не"));
}

TEST(QualityReport, WarningNamesEachDetectedCauseAndNoOther) {
    const struct {
        const char* name;
        RunConditions conditions;
        const char* cause;  // the cause line's beginning; nullptr when none is detected
    } cases[] = {
        {"light load", {0.4, {}, false, false, true, ""}, nullptr},
        {"other load", {0.5, {}, false, false, true, ""}, "  - другая нагрузка"},
        {"performance governor", {{}, {"performance"}, false, false, true, ""}, nullptr},
        {"powersave governor",
         {{}, {"performance", "powersave"}, false, false, true, ""},
         "  - регулятор частоты процессора «powersave»"},
        {"hypervisor", {{}, {}, true, false, true, ""}, "  - программа работает под гипервизором"},
        {"priority granted", {{}, {}, false, true, true, ""}, nullptr},
        {"priority not asked", {{}, {}, false, false, false, ""}, nullptr},
        {"priority refused", {{}, {}, false, true, false, ""}, "  - повышенный приоритет запрошен"},
        {"another user's run",
         {{}, {}, false, false, true, "пользователь bob, процесс 7"},
         "  - машину занимал запуск другого пользователя (пользователь bob, процесс 7)"},
    };
    for (const auto& test : cases) {
        const auto lines = qualityReportLines(
            kTests, assessRun(resultsWithUnsteadyTest(3), nullptr, test.conditions));
        const auto warning = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.starts_with("Внимание: разброс");
        });
        ASSERT_NE(warning, lines.end()) << test.name;
        const std::vector<std::string> causes(warning + 1, lines.end());
        ASSERT_EQ(causes.size(), 1u) << test.name;
        const std::string expected = test.cause ? test.cause : "  - причин";
        EXPECT_TRUE(causes[0].starts_with(expected)) << test.name << ": " << causes[0];
    }
}

// A run that went past another user's run says so whether its figures look steady or not, in
// the lines it prints and in those its JSON keeps.
TEST(QualityReport, AnotherUsersRunGonePastIsAlwaysSaid) {
    RunConditions conditions;
    conditions.otherRun = "пользователь bob, процесс 7";
    const std::string said =
        "Внимание: запуск начат, хотя машину занимал запуск другого пользователя (пользователь "
        "bob, процесс 7); два запуска сразу искажают цифры друг друга.";
    const QualityReport steady = assessRun(ResultTable{}, nullptr, conditions);
    EXPECT_EQ(qualityWarningLines(steady), std::vector<std::string>{said});
    EXPECT_TRUE(hasLineContaining(exportQuality(kTests, steady).lines, said));
    EXPECT_TRUE(qualityWarningLines(assessRun(ResultTable{}, nullptr, {})).empty());
}

TEST(QualityReport, DisturbanceLineSaysWhatWaitedAndWhatBecameOfIt) {
    constexpr std::uint64_t kMs = 1'000'000;
    struct Case {
        int test;
        TestDisturbance disturbance;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {0, {0, 0, 0, 0, 0, 10, true, false}, std::nullopt},
        {2,
         {4, 4, 0, 37 * kMs, 4, 10, true, false},
         "тест 3: 4 вызова из 10 ждали процессор (всего 37 мс), заменены"},
        {0,
         {1, 1, 0, 2'540'000, 3, 10, true, false},
         "тест 1: 1 вызов из 10 ждал процессор (всего 2.5 мс), заменены (дополнительных вызовов: "
         "3)"},
        {9,
         {2, 1, 1, 12 * kMs, 2, 10, true, false},
         "тест 10: 1 вызов из 10 ждал процессор (всего 12 мс), 1 вызов из 10 перешёл на другой "
         "процессор, заменены"},
        {4,
         {10, 10, 0, 1800 * kMs, 20, 0, true, false},
         "тест 5: 10 вызовов из 10 ждали процессор (всего 1800 мс); чистых вызовов только 0 из 10 "
         "после 20 дополнительных, цифрам теста нельзя вполне доверять"},
        {1,
         {5, 0, 5, 0, 0, 5, false, false},
         "тест 2: 5 вызовов из 10 перешли на другой процессор, не заменены (--runs-as-they-come)"},
        {1,
         {2, 2, 0, 30 * kMs, 0, 8, true, true},
         "тест 2: 2 вызова из 10 ждали процессор (всего 30 мс), не заменены: тест не пройден"},
    };
    for (const Case& c : cases) EXPECT_EQ(disturbanceLine(c.test, c.disturbance), c.expected);
}

// Calls of 100 ms; those in `waiting` waited 5 ms, those in `moving` moved.
TestCalls testCalls(int count, std::vector<int> waiting, std::vector<int> moving = {}) {
    TestCalls calls;
    calls.replacing = true;
    calls.made.resize(static_cast<std::size_t>(count));
    for (TimedCall& call : calls.made) call.disturbance.durationNanoseconds = 100'000'000;
    for (int call : waiting)
        calls.made[static_cast<std::size_t>(call)].disturbance.waitNanoseconds = 5'000'000;
    for (int call : moving)
        calls.made[static_cast<std::size_t>(call)].disturbance.processorAtEnd = 1;
    calls.stored = leastDisturbedCalls(calls.made);
    return calls;
}

TEST(QualityReport, DisturbanceCountsTheFirstTenCallsAndTheReplacements) {
    const TestDisturbance summary = summariseDisturbance(testCalls(14, {1, 4, 11}, {4, 7}));
    EXPECT_EQ(summary.disturbedOfTen, 3);
    EXPECT_EQ(summary.waitedOfTen, 2);
    EXPECT_EQ(summary.movedOfTen, 2);
    EXPECT_EQ(summary.waitNanoseconds, 10'000'000u);
    EXPECT_EQ(summary.extraCalls, 4);
    EXPECT_EQ(summary.cleanCalls, 10);
    EXPECT_FALSE(summary.failed);
}

TEST(QualityReport, MeasuredDisturbanceIsListedAndNamedFirstAmongTheCauses) {
    RunConditions loaded;
    loaded.loadAtStart = 2.0;
    RunCalls calls(kTestCount);
    for (TestCalls& test : calls) test = testCalls(10, {});
    const auto quiet =
        qualityReportLines(kTests, assessRun(resultsWithUnsteadyTest(0), &calls, loaded));
    EXPECT_EQ(quiet.back(),
              "Помех не замечено: ни один вызов не ждал процессор дольше 1 % своей "
              "длительности и не переходил на другой процессор.");
    // An unsteady test whose calls were all clean is not blamed on them.
    const auto clean =
        qualityReportLines(kTests, assessRun(resultsWithUnsteadyTest(3), &calls, loaded));
    EXPECT_TRUE(hasLineContaining(clean, "  - другая нагрузка"));
    EXPECT_FALSE(hasLineContaining(clean, "  - вызовы тестов"));

    calls[2] = testCalls(
        30, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21});
    const QualityReport report = assessRun(resultsWithUnsteadyTest(3), &calls, loaded);
    const auto lines = qualityReportLines(kTests, report);
    EXPECT_TRUE(hasLineContaining(lines,
                                  "тест 3: 10 вызовов из 10 ждали процессор (всего 50 мс); "
                                  "чистых вызовов только 8 из 10"));
    ASSERT_EQ(report.causes.size(), 2u);
    EXPECT_STREQ(report.causes[0].id, "disturbed-calls");
    EXPECT_STREQ(report.causes[1].id, "load");
    EXPECT_TRUE(hasLineContaining(lines, "  - вызовы тестов 3 ждали процессор"));
}

}  // namespace
