#include "testrun/qualityReportUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"

namespace {

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
        const auto spread = runSpread(test.cycles);
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
    const auto steady = qualityReportLines(kTests, resultsWithUnsteadyTest(0), calm);
    EXPECT_EQ(steady.size(), 1u + kTestCount);
    EXPECT_EQ(steady[1], "8-битное кодирование Хэмминга: 0.0 %");
    EXPECT_FALSE(hasLineContaining(steady, "Внимание"));

    const auto unsteady = qualityReportLines(kTests, resultsWithUnsteadyTest(9), calm);
    EXPECT_EQ(unsteady[9], "YUV преобразование и преобразование Фурье(почти JPEG) - FPU: 6.0 %");
    EXPECT_TRUE(hasLineContaining(unsteady, "Внимание: разброс больше 5.0 % у тестов 9,"));
    EXPECT_TRUE(hasLineContaining(unsteady, "причин, которые программа умеет распознать, не"));
}

TEST(QualityReport, WarningNamesEachDetectedCauseAndNoOther) {
    const struct {
        const char* name;
        RunConditions conditions;
        const char* cause;  // the cause line's beginning; nullptr when none is detected
    } cases[] = {
        {"light load", {0.4, {}, false, false, true}, nullptr},
        {"other load", {0.5, {}, false, false, true}, "  - другая нагрузка"},
        {"performance governor", {{}, {"performance"}, false, false, true}, nullptr},
        {"powersave governor",
         {{}, {"performance", "powersave"}, false, false, true},
         "  - регулятор частоты процессора «powersave»"},
        {"hypervisor", {{}, {}, true, false, true}, "  - программа работает под гипервизором"},
        {"priority granted", {{}, {}, false, true, true}, nullptr},
        {"priority not asked", {{}, {}, false, false, false}, nullptr},
        {"priority refused", {{}, {}, false, true, false}, "  - повышенный приоритет запрошен"},
    };
    for (const auto& test : cases) {
        const auto lines = qualityReportLines(kTests, resultsWithUnsteadyTest(3), test.conditions);
        const std::vector<std::string> causes(lines.begin() + 2 + kTestCount, lines.end());
        ASSERT_EQ(causes.size(), 1u) << test.name;
        const std::string expected = test.cause ? test.cause : "  - причин";
        EXPECT_TRUE(causes[0].starts_with(expected)) << test.name << ": " << causes[0];
    }
}

}  // namespace
