// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "renderers/runCsvUnit.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <type_traits>

#include "platform/codePage.h"
#include "renderers/runJsonUnit.h"

namespace {

constexpr const char* kHeader =
    "machine,cpu,fsb,memory,os,index,id,best_cycles,best_milliseconds,median_cycles,"
    "median_milliseconds,average_cycles,average_milliseconds,failed_runs,cores,scaling\n";

std::string textField(std::string text) {
    if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string::npos)
        text.insert(0, 1, '\'');
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char character : text) {
        if (character == '"') quoted += '"';
        quoted += character;
    }
    return quoted + '"';
}

template <typename T>
std::string numberField(const std::optional<T>& value) {
    if (!value) return {};
    std::string text = std::to_string(*value);
    if constexpr (std::is_floating_point_v<T>) {  // halves at most: "5.500000" becomes "5.5"
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

constexpr const char* kComparisonHeader =
    ",unit,ratio,p_value,floor,significant,machine_index,verdict,reason,adjusted_p_value,"
    "interval_low,interval_high,unsteady_run";
constexpr int kComparisonColumns = 12;

const char* verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Real:
            return "real";
        case Verdict::Within:
            return "within";
        case Verdict::Inconclusive:
            return "inconclusive";
        case Verdict::NotCompared:
            break;
    }
    return "";
}

// Six significant digits, so that a small p-value keeps its figures.
std::string statisticField(const std::optional<double>& value) {
    if (!value) return {};
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *value);
    return text;
}

// The comparison's fields of one row, each after a comma: `significant` is empty where the
// test is inconclusive.
std::string comparisonFields(BenchUnit unit, const MachineComparison* comparison, int test,
                             bool unsteadyRun) {
    std::string fields = unit == BenchUnit::Cycles ? ",cycles" : ",milliseconds";
    if (comparison == nullptr || static_cast<std::size_t>(test) >= comparison->tests.size())
        return fields + std::string(kComparisonColumns - 1, ',');
    const TestComparison& compared = comparison->tests[static_cast<std::size_t>(test)];
    const bool inconclusive = compared.verdict == Verdict::Inconclusive;
    return fields + ',' + statisticField(compared.ratio) + ',' + statisticField(compared.pValue) +
           ',' + statisticField(compared.floor) + ',' +
           (inconclusive           ? ""
            : compared.significant ? "true"
                                   : "false") +
           ',' + statisticField(comparison->index) + ',' + verdictText(compared.verdict) + ',' +
           (inconclusive ? reasonId(compared.reason) : "") + ',' +
           statisticField(compared.adjustedPValue) + ',' + statisticField(compared.low) + ',' +
           statisticField(compared.high) + ',' + (unsteadyRun ? "true" : "false");
}

std::string testId(std::span<const TestName> tests, int test) {
    const auto index = static_cast<std::size_t>(test);
    return index < tests.size() ? tests[index].id : std::string();
}

// The rows of the run on every core at once: the machine's figures as the best, the worker count
// in `cores` and the scaling; median, average, failed runs and a comparison have no meaning
// there.
std::string coresRows(const std::string& described, std::span<const TestName> tests,
                      const CoresRun& cores, std::optional<BenchUnit> comparedIn) {
    std::string rows;
    for (std::size_t index = 0; index < cores.tests.size(); ++index) {
        const CoresTest& test = cores.tests[index];
        std::optional<double> scaling;
        if (test.scaling) scaling = std::round(*test.scaling * 1000) / 1000;
        const int number = static_cast<int>(index);
        rows += described + ',' + std::to_string(number) + ',' + testId(tests, number) + ',' +
                numberField(test.machineCycles) + ',' + numberField(test.machineMilliseconds) +
                ",,,,,," + std::to_string(cores.count) + ',' + numberField(scaling) +
                (comparedIn ? std::string(kComparisonColumns, ',') : "") + "\n";
    }
    return rows;
}

}  // namespace

void writeCsvHeader(std::ostream& out, std::optional<BenchUnit> comparedIn) {
    std::string header = kHeader;
    if (comparedIn) header.insert(header.size() - 1, kComparisonHeader);
    out << header;
}

void writeCsvMachine(std::ostream& out, std::span<const TestName> tests, const CsvMachine& machine,
                     std::optional<BenchUnit> comparedIn) {
    std::string described = textField(platform::validUtf8(machine.name));
    for (std::size_t line = 0; line < platform::MachineDescription::kLineCount; ++line)
        described += ',' + textField(platform::printableText(machine.description.line(line)));
    for (int test = 0; test < testsIn(machine.results); ++test) {
        const auto index = static_cast<std::size_t>(test);
        const bool supported = index >= tests.size() || tests[index].supported;
        const TestSummary summary = summaryOf(machine.summaries, machine.results, test);
        out << described << ',' << test << ',' << testId(tests, test) << ','
            << numberField(summary.bestCycles) << ',' << numberField(summary.bestMilliseconds)
            << ',' << numberField(summary.medianCycles) << ','
            << numberField(summary.medianMilliseconds) << ',' << numberField(summary.averageCycles)
            << ',' << numberField(summary.averageMilliseconds) << ','
            << (supported ? std::to_string(summary.failedRuns.size()) : std::string()) << ",1,"
            << (comparedIn ? comparisonFields(*comparedIn, machine.comparison, test,
                                              machine.quality && machine.quality->unsteadyRun())
                           : "")
            << '\n';
    }
    if (machine.cores) out << coresRows(described, tests, *machine.cores, comparedIn);
}
