// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/runCsvUnit.h"

#include <cmath>
#include <optional>
#include <string_view>
#include <type_traits>

#include "results/runJsonUnit.h"

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

std::string testId(std::span<const TestName> tests, int test) {
    const auto index = static_cast<std::size_t>(test);
    return index < tests.size() ? tests[index].id : std::string();
}

// The rows of the run on every core at once: the machine's figures as the best, the worker count
// in `cores` and the scaling; median, average and failed runs have no meaning there.
std::string coresRows(const std::string& described, std::span<const TestName> tests,
                      const CoresRun& cores) {
    std::string rows;
    for (std::size_t index = 0; index < cores.tests.size(); ++index) {
        const CoresTest& test = cores.tests[index];
        std::optional<double> scaling;
        if (test.scaling) scaling = std::round(*test.scaling * 1000) / 1000;
        const int number = static_cast<int>(index);
        rows += described + ',' + std::to_string(number) + ',' + testId(tests, number) + ',' +
                numberField(test.machineCycles) + ',' + numberField(test.machineMilliseconds) +
                ",,,,,," + std::to_string(cores.count) + ',' + numberField(scaling) + "\n";
    }
    return rows;
}

}  // namespace

std::string resultsCsv(std::span<const TestName> tests, std::span<const CsvMachine> machines) {
    std::string csv = kHeader;
    for (const CsvMachine& machine : machines) {
        std::string described = textField(machine.name);
        for (std::size_t line = 0; line < platform::MachineDescription::kLineCount; ++line)
            described += ',' + textField(machine.description.line(line));
        for (int test = 0; test < kTestCount; ++test) {
            const RowSummary summary = summariseTest(cycleRow(*machine.results, test),
                                                     millisecondRow(*machine.results, test));
            csv += described + ',' + std::to_string(test) + ',' + testId(tests, test) + ',' +
                   numberField(summary.bestCycles) + ',' + numberField(summary.bestMilliseconds) +
                   ',' + numberField(summary.medianCycles) + ',' +
                   numberField(summary.medianMilliseconds) + ',' +
                   numberField(summary.averageCycles) + ',' +
                   numberField(summary.averageMilliseconds) + ',' +
                   std::to_string(summary.failedRuns.size()) + ",1,\n";
        }
        if (machine.cores) csv += coresRows(described, tests, *machine.cores);
    }
    return csv;
}
