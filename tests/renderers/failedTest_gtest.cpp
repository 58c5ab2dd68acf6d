#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "engine/runLinesUnit.h"
#include "engine/testTableUnit.h"
#include "record/comparisonStatsUnit.h"
#include "renderers/comparisonTextUnit.h"
#include "renderers/htmlReportUnit.h"
#include "renderers/runCsvUnit.h"
#include "renderers/runJsonUnit.h"

namespace {

// Test 3 (number 4) of this table has one failed call, the fourth, and nine that passed; every
// other test passed all its calls, test 0 with a best of `best` cycles and `best` / 2
// milliseconds.
constexpr int kFailedTest = 3;
constexpr std::uint32_t kBest = 1000;

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

std::vector<TestName> testNames() {
    std::vector<TestName> names;
    for (int test = 0; test < kTestCount; ++test)
        names.push_back({"test-" + std::to_string(test), "Тест " + std::to_string(test) + ":"});
    return names;
}

// The console's lines, and the main window's list, which shows the same lines.
class CollectedLines final : public RunLines {
  public:
    std::string text;
    void repaintNow() override {}
    void processPendingMessages() override {}

  private:
    void clearLines() override { text.clear(); }
    void appendLine(const std::string& line) override { text += line + '\n'; }
};

std::string consoleSays(const ResultTable& results, int test) {
    CollectedLines lines;
    lines.runStarted(resultFileTests());
    lines.testFinished(test, summariseTest(results, test));
    return lines.text;
}

std::string jsonSays(const ResultTable& results, int test) {
    RunExport run;
    run.testNames = testNames();
    run.results.assign(results.begin(), results.end());
    for (int each = 0; each < kTestCount; ++each)
        run.summaries.push_back(summariseTest(results, each));
    return nlohmann::json::parse(runJson(run))["tests"][test]["best"].dump();
}

std::string csvSays(const ResultTable& results, int test) {
    const std::vector<TestName> names = testNames();
    CsvMachine machine{"host", {}, results};
    std::ostringstream csv;
    writeCsvMachine(csv, names, machine);
    std::istringstream rows(csv.str());
    std::string row;
    for (int skipped = 0; skipped <= test; ++skipped) std::getline(rows, row);
    return row;
}

std::string pageSays(const ResultTable& results, int test) {
    HtmlReport page;
    for (const TestName& name : testNames()) page.tests.push_back({name.id, name.label, name.id});
    page.machines.emplace_back();
    page.machines.back().results = results;
    std::ostringstream html;
    writeHtmlReport(html, page);
    const std::string text = html.str();
    const std::size_t section = text.find("id=\"test-" + std::to_string(test) + "\"");
    return text.substr(section, text.find("</section>", section) - section);
}

std::string comparisonWindowSays(const ResultTable& results, int test) {
    std::deque<TCpuRecord> records(1, emptyRecord());
    records[0].Results = results;
    const ComparisonRows rows =
        buildComparisonRows(records, nullptr, testNumber(test), BenchUnit::Cycles);
    return comparisonCellText(rows.rows[0], kValueColumn, BenchUnit::Cycles) + " " +
           benchCellSpokenText(rows.rows[0], BenchUnit::Cycles);
}

std::string comparisonTextSays(const ResultTable& results, int test) {
    std::deque<TCpuRecord> records(1, emptyRecord());
    records[0].Results = results;
    return storedComparisonTextLines(records, {}, testNumber(test), BenchUnit::Cycles).at(1);
}

std::string comparisonStatisticsSay(const ResultTable& results, int test) {
    const ResultTable other = tableWithOneFailedCall(kBest / 2);
    const MachineComparison compared = compareMachine({&results}, {&other}, BenchUnit::Cycles);
    const auto& ratio = compared.tests[static_cast<std::size_t>(test)].ratio;
    return ratio ? "ratio " + std::to_string(*ratio) : "no ratio";
}

// A test with a failed call failed in every output, and a test without one has the same best in
// every output.
TEST(FailedTest, EveryOutputSaysTheSame) {
    const struct {
        const char* output;
        std::function<std::string(const ResultTable&, int)> says;
        std::string failed;  // what it says of the failed test
        std::string best;    // what it says of test 0
    } outputs[] = {
        {"console and main window", consoleSays, "Тест не пройден\n",
         "1000 млн. тактов\n500 миллисекунд\n"},
        {"JSON", jsonSays, R"({"cycles":null,"milliseconds":null})",
         R"({"cycles":1000,"milliseconds":500})"},
        {"CSV", csvSays, "host,,,,,3,test-3,,,,,,,1,1,", "host,,,,,0,test-0,1000,500,"},
        {"page", pageSays, "<td>0<td>", "<td>1000<td>"},
        {"comparison window", comparisonWindowSays, "0 Тест не пройден", "1000 лучший 1000"},
        {"comparison text", comparisonTextSays, kTestFailedText, "1000"},
        {"comparison statistics", comparisonStatisticsSay, "no ratio", "ratio 2."},
    };
    const ResultTable results = tableWithOneFailedCall(kBest);
    for (const auto& output : outputs) {
        const std::string failed = output.says(results, kFailedTest);
        EXPECT_NE(failed.find(output.failed), std::string::npos) << output.output << ": " << failed;
        const std::string passed = output.says(results, 0);
        EXPECT_NE(passed.find(output.best), std::string::npos) << output.output << ": " << passed;
    }
    EXPECT_NE(pageSays(results, kFailedTest).find(kTestFailedText), std::string::npos);
}

// The run's summary knows its failed calls from the run, where the result file has only zeros:
// a call that passed under a million cycles and a millisecond is no failure.
TEST(FailedTest, TheRunsOwnFailuresDecideWhereTheFileCannotTell) {
    ResultTable results = tableWithOneFailedCall(kBest);
    cycleRow(results, 0)[5] = millisecondRow(results, 0)[5] = 0;
    EXPECT_TRUE(summariseTest(results, 0).failed());
    const TestSummary run = summariseCalls(cycleRow(results, 0), millisecondRow(results, 0), {});
    EXPECT_EQ(run.bestCycles, 0u);
    EXPECT_EQ(summaryOf(std::vector<TestSummary>{run}, results, 0).bestCycles, 0u);
    EXPECT_TRUE(summaryOf({}, results, 0).failed());
}

}  // namespace
