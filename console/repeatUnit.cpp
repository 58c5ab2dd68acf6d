// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/repeatUnit.h"

#include <algorithm>
#include <cstdio>

#include "renderers/runJsonUnit.h"

namespace {

// The best cycle value of `test` in one run; empty when a call failed or the best is 0.
std::optional<std::uint32_t> bestCycles(const RunTable& run, int test) {
    const TestSummary summary = summariseTest(run, test);
    if (!summary.bestCycles || *summary.bestCycles == 0) return std::nullopt;
    return summary.bestCycles;
}

}  // namespace

std::optional<double> runToRunSpread(std::span<const RunTable> runs, int test) {
    if (runs.size() < 2) return std::nullopt;
    std::uint32_t smallest = UINT32_MAX, largest = 0;
    for (const RunTable& run : runs) {
        const auto best = bestCycles(run, test);
        if (!best) return std::nullopt;
        smallest = std::min(smallest, *best);
        largest = std::max(largest, *best);
    }
    return static_cast<double>(largest) / static_cast<double>(smallest) - 1;
}

std::vector<std::string> repeatReportLines(TestTable tests, std::span<const RunTable> runs) {
    std::vector<std::string> lines = {"Разброс лучших результатов между " +
                                      std::to_string(runs.size()) +
                                      " запусками (наибольший / наименьший − 1):"};
    for (int test = 0; test < static_cast<int>(tests.size()); ++test) {
        std::string spread = "нет оценки";
        if (const auto value = runToRunSpread(runs, test)) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f %%", 100 * *value);
            spread = text;
        }
        lines.push_back("тест " + std::to_string(testNumber(test)) + ", " +
                        tests[static_cast<std::size_t>(test)].label + " " + spread);
    }
    return lines;
}

RepeatExport exportRepeat(std::span<const RunTable> runs) {
    RepeatExport exported;
    exported.runs = static_cast<int>(runs.size());
    const int tests = runs.empty() ? 0 : testsIn(runs.front());
    for (int test = 0; test < tests; ++test) {
        std::vector<std::optional<std::uint32_t>> cycles, milliseconds;
        for (const RunTable& run : runs) {
            const TestSummary summary = summariseTest(run, test);
            cycles.push_back(summary.bestCycles);
            milliseconds.push_back(summary.bestMilliseconds);
        }
        exported.bestCycles.push_back(cycles);
        exported.bestMilliseconds.push_back(milliseconds);
        exported.spreads.push_back(runToRunSpread(runs, test));
    }
    return exported;
}
