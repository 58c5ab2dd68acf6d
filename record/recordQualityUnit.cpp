// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/recordQualityUnit.h"

#include <algorithm>
#include <bit>

#include "record/runExportUnit.h"

bool RecordQuality::unsteadyRun() const {
    for (const bool flagged : unsteady)
        if (flagged) return true;
    return false;
}

int RecordQuality::disturbedCount(int test) const {
    return std::popcount(disturbedCalls[static_cast<std::size_t>(test)]);
}

RecordQuality runRecordQuality(const RunExport& run) {
    RecordQuality quality;
    quality.host = run.host;
    quality.processor = run.machine.processor;
    quality.order = run.order;
    quality.seed = run.seed;
    std::vector<int> slowRounds;
    for (const RoundExport& round : run.rounds)
        if (round.disturbed) slowRounds.push_back(round.round);
    for (std::size_t test = 0; test < run.testCalls.size() && test < quality.spreads.size();
         ++test) {
        const std::vector<CallExport>& stored = run.testCalls[test].stored;
        for (std::size_t column = 0; column < stored.size() && column < std::size_t{kRunsPerTest};
             ++column)
            if (stored[column].disturbed || std::find(slowRounds.begin(), slowRounds.end(),
                                                      stored[column].round) != slowRounds.end())
                quality.disturbedCalls[test] |= static_cast<std::uint16_t>(1U << column);
    }
    if (run.quality) {
        for (std::size_t test = 0;
             test < run.quality->tests.size() && test < quality.spreads.size(); ++test)
            quality.spreads[test] = run.quality->tests[test].spread;
        for (const int test : run.quality->unsteadyTests)
            if (test >= 0 && test < kTestCount)
                quality.unsteady[static_cast<std::size_t>(test)] = true;
    }
    return quality;
}

std::string unsteadyTestNumbers(const RecordQuality& quality) {
    std::string numbers;
    for (int test = 0; test < kTestCount; ++test)
        if (quality.unsteady[static_cast<std::size_t>(test)])
            numbers += (numbers.empty() ? "" : ", ") + std::to_string(test + 1);
    return numbers;
}
