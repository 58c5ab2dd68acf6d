#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "record/comparisonStatsUnit.h"
#include "renderers/comparisonTextUnit.h"
#include "renderers/htmlReportUnit.h"

namespace {

// Test 3 (number 4) of this table has one failed call, the fourth, and nine that passed; every
// other test passed all its calls.
constexpr int kFailedTest = 3;

ResultTable tableWithOneFailedCall(std::uint32_t best) {
    ResultTable results{};
    for (int test = 0; test < kTestCount; ++test)
        for (int call = 0; call < kRunsPerTest; ++call) {
            cycleRow(results, test)[call] = best + static_cast<std::uint32_t>(call);
            millisecondRow(results, test)[call] = best / 2 + static_cast<std::uint32_t>(call);
        }
    cycleRow(results, kFailedTest)[3] = millisecondRow(results, kFailedTest)[3] = 0;
    return results;
}

// A test with a failed call failed in every output: none gives a best of the calls that passed
// (JSON and CSV: RunJson.ATestWithAFailedRunHasNoSummary, RunCsv's empty figures).
TEST(FailedTest, EveryOutputSaysTheSame) {
    const ResultTable results = tableWithOneFailedCall(1000);
    const TestSummary summary = summariseTest(results, kFailedTest);
    EXPECT_EQ(summary.failedRuns, std::vector<int>{3});
    EXPECT_FALSE(summary.bestCycles || summary.bestMilliseconds || summary.medianCycles ||
                 summary.averageMilliseconds);

    const ResultTable other = tableWithOneFailedCall(500);
    const MachineComparison compared = compareMachine({&results}, {&other}, BenchUnit::Cycles);
    EXPECT_FALSE(compared.tests[kFailedTest].ratio);
    EXPECT_TRUE(compared.tests[0].ratio);

    std::deque<TCpuRecord> records(1, emptyRecord());
    records[0].Results = results;
    const std::vector<std::string> text =
        storedComparisonTextLines(records, {}, testNumber(kFailedTest), BenchUnit::Cycles);
    ASSERT_EQ(text.size(), 2u);
    EXPECT_NE(text[1].find(kTestFailedText), std::string::npos) << text[1];

    HtmlReport page;
    page.tests.resize(kTestCount);
    page.machines.emplace_back();
    page.machines.back().results = results;
    std::ostringstream html;
    writeHtmlReport(html, page);
    EXPECT_NE(html.str().find(std::string("<td>0<td>")), std::string::npos);
    EXPECT_NE(html.str().find(kTestFailedText), std::string::npos);
}

}  // namespace
