// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/resultTableUnit.h"

#include <algorithm>
#include <numeric>
#include <utility>

std::vector<int> failedRuns(const ResultRow& cycles, const ResultRow& milliseconds) {
    std::vector<int> failed;
    for (int run = 0; run < kRunsPerTest; ++run) {
        const auto column = static_cast<std::size_t>(run);
        if (cycles[column] == 0 && milliseconds[column] == 0) failed.push_back(run);
    }
    return failed;
}

std::vector<std::uint32_t> passedRunValues(const ResultRow& row, std::span<const int> failed) {
    std::vector<std::uint32_t> values;
    for (int run = 0; run < kRunsPerTest; ++run)
        if (std::find(failed.begin(), failed.end(), run) == failed.end())
            values.push_back(row[static_cast<std::size_t>(run)]);
    std::sort(values.begin(), values.end());
    return values;
}

std::optional<double> medianOfPassedRuns(const ResultRow& row, std::span<const int> failed) {
    const std::vector<std::uint32_t> values = passedRunValues(row, failed);
    if (values.empty()) return std::nullopt;
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? double(values[middle])
                                  : (double(values[middle - 1]) + double(values[middle])) / 2;
}

std::optional<double> averageOfPassedRuns(const ResultRow& row, std::span<const int> failed) {
    const std::vector<std::uint32_t> values = passedRunValues(row, failed);
    if (values.empty()) return std::nullopt;
    const std::uint64_t sum = std::accumulate(values.begin(), values.end(), std::uint64_t{0});
    return double(sum) / double(values.size());
}

std::optional<double> TestSummary::cycleSpread() const {
    if (!bestCycles || *bestCycles == 0) return std::nullopt;
    return *medianCycles / *bestCycles - 1;
}

TestSummary summariseTest(const ResultRow& cycles, const ResultRow& milliseconds) {
    return summariseCalls(cycles, milliseconds, failedRuns(cycles, milliseconds));
}

TestSummary summariseCalls(const ResultRow& cycles, const ResultRow& milliseconds,
                           std::vector<int> failed) {
    TestSummary summary;
    summary.failedRuns = std::move(failed);
    if (summary.failed()) return summary;
    const auto summarise = [](const ResultRow& row, std::optional<std::uint32_t>& best,
                              std::optional<double>& median, std::optional<double>& average) {
        best = *std::min_element(row.begin(), row.end());
        median = medianOfPassedRuns(row, {});
        average = averageOfPassedRuns(row, {});
    };
    summarise(cycles, summary.bestCycles, summary.medianCycles, summary.averageCycles);
    summarise(milliseconds, summary.bestMilliseconds, summary.medianMilliseconds,
              summary.averageMilliseconds);
    return summary;
}

TestSummary summaryOf(std::span<const TestSummary> summaries, std::span<const ResultRow> results,
                      int test) {
    const auto index = static_cast<std::size_t>(test);
    return index < summaries.size() ? summaries[index] : summariseTest(results, test);
}

std::uint32_t averageOfAllRuns(const ResultRow& row) {
    const std::uint64_t sum = std::accumulate(row.begin(), row.end(), std::uint64_t{0});
    return static_cast<std::uint32_t>(sum / row.size());
}

ResultTable recordTable(std::span<const ResultRow> run) {
    ResultTable table{};
    std::copy_n(run.begin(), std::min(run.size(), table.size()), table.begin());
    return table;
}
