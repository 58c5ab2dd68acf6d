// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/machineHistoryUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "results/runReportUnit.h"

namespace {

// A test's best: its smallest cycle value; none when a call failed (the test shows
// "Тест не пройден") or the best is under a million cycles.
std::optional<double> bestOf(const ResultTable& results, int test) {
    const std::vector<int> failed =
        failedRuns(cycleRow(results, test), millisecondRow(results, test));
    const std::vector<std::uint32_t> passed = passedRunValues(cycleRow(results, test), failed);
    if (!failed.empty() || passed.empty() || passed.front() == 0) return std::nullopt;
    return static_cast<double>(passed.front());
}

// The geometric mean over the tests both passed of `run`'s best over `recorded`'s.
std::optional<double> ratioTo(const ResultTable& run, const ResultTable& recorded) {
    double logSum = 0;
    int tests = 0;
    for (int test = 0; test < kTestCount; ++test) {
        const auto mine = bestOf(run, test);
        const auto theirs = bestOf(recorded, test);
        if (!mine || !theirs) continue;
        logSum += std::log(*mine / *theirs);
        ++tests;
    }
    if (tests == 0) return std::nullopt;
    return std::exp(logSum / tests);
}

}  // namespace

std::optional<RecordedRun> parseRecordedRun(std::string_view text) {
    std::string why;
    const std::optional<RunReport> report = parseRunReport(text, {}, why);
    if (!report) return std::nullopt;
    RecordedRun run;
    run.kernelCode = report->kernelCode;
    run.results = report->record.Results;
    const auto document = nlohmann::json::parse(text, nullptr, false);
    const auto machine = document.find("machine");
    if (machine != document.end() && machine->is_object()) {
        const auto processor = machine->find("processor");
        if (processor != machine->end() && processor->is_string())
            run.processor = processor->get<std::string>();
    }
    return run;
}

HistoryExport measureAgainstHistory(std::span<const RecordedRun> history, const RecordedRun& run) {
    HistoryExport standing;
    for (const RecordedRun& recorded : history) {
        if (recorded.kernelCode != run.kernelCode || recorded.processor != run.processor) continue;
        ++standing.runsOnRecord;
        const std::optional<double> ratio = ratioTo(run.results, recorded.results);
        if (ratio && (!standing.bestIndex || 100 * *ratio > *standing.bestIndex)) {
            standing.bestIndex = 100 * *ratio;
            standing.slowerBy = *ratio - 1;
        }
    }
    return standing;
}

std::optional<std::string> historyLine(const HistoryExport& standing) {
    if (!standing.slowerBy || *standing.slowerBy <= kHistoryFloor) return std::nullopt;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.0f %%", 100 * *standing.slowerBy);
    return std::string("этот запуск на ") + percent + " медленнее лучшего на этой машине";
}
