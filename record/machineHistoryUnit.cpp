// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/machineHistoryUnit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "record/runReportUnit.h"

namespace {

// A test's best in cycles; none when the test failed or the best is under a million cycles.
std::optional<double> bestOf(const ResultTable& results, int test) {
    const std::optional<std::uint32_t> best = summariseTest(results, test).bestCycles;
    if (!best || *best == 0) return std::nullopt;
    return static_cast<double>(*best);
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

// The median over the tests all of `runs` passed of (largest best / smallest best - 1).
std::optional<double> spreadAcross(const std::vector<const RecordedRun*>& runs) {
    std::vector<double> spreads;
    for (int test = 0; test < kTestCount; ++test) {
        double fastest = 0, slowest = 0;
        bool passed = true;
        for (const RecordedRun* run : runs) {
            const std::optional<double> best = bestOf(run->results, test);
            if (!best) passed = false;
            if (!passed) break;
            fastest = fastest == 0 ? *best : std::min(fastest, *best);
            slowest = std::max(slowest, *best);
        }
        if (passed) spreads.push_back(slowest / fastest - 1);
    }
    if (spreads.empty()) return std::nullopt;
    std::sort(spreads.begin(), spreads.end());
    const std::size_t middle = spreads.size() / 2;
    return spreads.size() % 2 ? spreads[middle] : (spreads[middle - 1] + spreads[middle]) / 2;
}

// The spreads of the machine's latest runs in each order, as many of each, when both have enough.
void compareOrders(std::span<const RecordedRun> history, const RecordedRun& run,
                   HistoryExport& standing) {
    std::vector<const RecordedRun*> rounds, inOrder;
    const auto add = [&](const RecordedRun& recorded) {
        if (recorded.kernelCode != run.kernelCode || recorded.processor != run.processor) return;
        if (recorded.order == "rounds") rounds.push_back(&recorded);
        if (recorded.order == "in-order") inOrder.push_back(&recorded);
    };
    for (const RecordedRun& recorded : history) add(recorded);
    add(run);
    const std::size_t runs =
        std::min({rounds.size(), inOrder.size(), static_cast<std::size_t>(kMostSteadinessRuns)});
    if (runs < static_cast<std::size_t>(kSteadinessRuns)) return;
    rounds.erase(rounds.begin(), rounds.end() - static_cast<std::ptrdiff_t>(runs));
    inOrder.erase(inOrder.begin(), inOrder.end() - static_cast<std::ptrdiff_t>(runs));
    standing.runsPerOrder = static_cast<int>(runs);
    standing.roundsSpread = spreadAcross(rounds);
    standing.inOrderSpread = spreadAcross(inOrder);
}

std::string percentText(double share) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.0f %%", 100 * share);
    return percent;
}

}  // namespace

std::optional<RecordedRun> parseRecordedRun(std::string_view text) {
    std::string why;
    const std::optional<RunReport> report = parseRunReport(text, {}, why);
    if (!report) return std::nullopt;
    RecordedRun run;
    run.kernelCode = report->kernelCode;
    run.results = report->record.Results;
    run.order = report->quality.order;
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
    compareOrders(history, run, standing);
    return standing;
}

std::optional<std::string> historyLine(const HistoryExport& standing) {
    if (!standing.slowerBy || *standing.slowerBy <= kHistoryFloor) return std::nullopt;
    return "этот запуск на " + percentText(*standing.slowerBy) +
           " медленнее лучшего на этой машине";
}

std::optional<std::string> steadinessLine(const HistoryExport& standing) {
    if (!standing.roundsSpread || !standing.inOrderSpread ||
        std::max(*standing.roundsSpread, *standing.inOrderSpread) <= kHistoryFloor)
        return std::nullopt;
    return "лучшие тестов расходятся между запусками этой машины на " +
           percentText(*standing.roundsSpread) + " кругами и на " +
           percentText(*standing.inOrderSpread) +
           " подряд (медиана по тестам; запусков каждого порядка: " +
           std::to_string(standing.runsPerOrder) + ")";
}
