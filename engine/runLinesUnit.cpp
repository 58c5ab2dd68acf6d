// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/runLinesUnit.h"

std::vector<std::string> testSummaryLines(const TestSummary& summary) {
    if (summary.failed()) return {kTestFailedText};
    return {std::to_string(*summary.bestCycles) + kMillionCyclesText,
            std::to_string(*summary.bestMilliseconds) + kMillisecondsText};
}

void RunLines::runStarted(std::span<const TestEntry> tests) {
    labels_.clear();
    runsHere_.clear();
    for (const TestEntry& test : tests) {
        labels_.emplace_back(test.label);
        runsHere_.push_back(test.runsHere());
    }
    clearLines();
}

void RunLines::clockMeasured(std::uint64_t megahertz) {
    appendLine(kClockRateText + std::to_string(megahertz) + "MHz");
}

void RunLines::testStarted(int test) { appendLine(labels_.at(static_cast<std::size_t>(test))); }

void RunLines::testFinished(int test, const TestSummary& summary) {
    if (!runsHere_.at(static_cast<std::size_t>(test))) return appendLine(kTestNotSupportedText);
    for (const std::string& line : testSummaryLines(summary)) appendLine(line);
}
