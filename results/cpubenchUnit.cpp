// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/cpubenchUnit.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "platform/codePage.h"

namespace {

bool isSelectableTest(int test) {
    return test >= kFirstSelectableTest && test <= kLastSelectableTest;
}

}  // namespace

TCpuRecord makeOwnSystem() {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, kOwnSystemCaption);
    return record;
}

bool GetTestRows(int test, const TCpuRecord& record, ResultRow& cycles, ResultRow& milliseconds) {
    if (!isSelectableTest(test)) return false;
    cycles = cycleRow(record.Results, testOfNumber(test));
    milliseconds = millisecondRow(record.Results, testOfNumber(test));
    return true;
}

TViborka summariseRuns(const ResultRow& cycles, const ResultRow& milliseconds) {
    const TestSummary summary = summariseTest(cycles, milliseconds);
    return {summary.bestCycles.value_or(0), averageOfAllRuns(cycles),
            summary.bestMilliseconds.value_or(0), averageOfAllRuns(milliseconds)};
}

std::uint32_t bestValue(const TViborka& summary, BenchUnit unit) {
    return unit == BenchUnit::Cycles ? summary.MinCycles : summary.MinMs;
}

std::uint32_t averageValue(const TViborka& summary, BenchUnit unit) {
    return unit == BenchUnit::Cycles ? summary.AvgCycles : summary.AvgMs;
}

bool hasOwnSystemCaption(const TCpuRecord& record) {
    static const std::string ownCaptionBytes = platform::utf8ToWindows1251(kOwnSystemCaption);
    return descriptionBytes(record.Cpu) == ownCaptionBytes;
}

ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>& systems,
                                   const TCpuRecord& ownSystem, int selectedTest, BenchUnit unit) {
    return buildComparisonRows(systems, &ownSystem, selectedTest, unit);
}

ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>& systems,
                                   const TCpuRecord* ownSystem, int selectedTest, BenchUnit unit) {
    ComparisonRows list;
    if (!isSelectableTest(selectedTest)) return list;
    list.rows.reserve(systems.size() + 1);
    ResultRow cycles{}, milliseconds{};
    const auto addRow = [&](const TCpuRecord& record, bool isOwnSystem) {
        GetTestRows(selectedTest, record, cycles, milliseconds);
        list.rows.push_back({&record, summariseRuns(cycles, milliseconds), isOwnSystem,
                             hasOwnSystemCaption(record)});
    };
    for (const TCpuRecord& record : systems) addRow(record, false);
    if (ownSystem != nullptr) addRow(*ownSystem, true);

    std::vector<TViborka> summaries;
    summaries.reserve(list.rows.size());
    for (const ComparisonRow& row : list.rows) summaries.push_back(row.summary);
    const ComparisonOrder order = comparisonOrder(summaries, unit);
    std::vector<ComparisonRow> rows;
    rows.reserve(list.rows.size());
    for (const std::size_t place : order.places) rows.push_back(list.rows[place]);
    list.rows = std::move(rows);
    list.BarScale = order.barScale;
    return list;
}

ComparisonOrder comparisonOrder(std::span<const TViborka> summaries, BenchUnit unit) {
    ComparisonOrder order;
    order.places.resize(summaries.size());
    std::iota(order.places.begin(), order.places.end(), std::size_t{0});
    std::stable_sort(order.places.begin(), order.places.end(), [&](std::size_t a, std::size_t b) {
        return bestValue(summaries[a], unit) < bestValue(summaries[b], unit);
    });
    for (const TViborka& summary : summaries)
        order.barScale = std::max(order.barScale, averageValue(summary, unit));
    return order;
}

std::string comparisonCellText(const ComparisonRow& row, int column, BenchUnit unit) {
    switch (column) {
        case kCpuColumn:
            return descriptionText(row.record->Cpu);
        case kFsbColumn:
            return row.isOwnSystem ? std::string() : descriptionText(row.record->Fsb);
        case kMemoryColumn:
            return row.isOwnSystem ? std::string() : descriptionText(row.record->Memory);
        case kOsColumn:
            return row.isOwnSystem ? std::string() : descriptionText(row.record->Os);
        case kValueColumn:
            return std::to_string(bestValue(row.summary, unit));
        default:
            return {};
    }
}

std::string benchCellSpokenText(const ComparisonRow& row, BenchUnit unit) {
    const std::string unitText = unit == BenchUnit::Cycles ? kMillionCyclesText : kMillisecondsText;
    const std::uint32_t average = averageValue(row.summary, unit);
    const std::uint32_t best = bestValue(row.summary, unit);
    const std::string averageText = "средний " + std::to_string(average) + unitText;
    if (best == 0) return average > 0 ? kTestFailedText + (", " + averageText) : kTestFailedText;
    return "лучший " + std::to_string(best) + ", " + averageText;
}

int barLength(int width, std::uint32_t value, std::uint32_t barScale) {
    const std::int64_t product = static_cast<std::int64_t>(width) * value;
    return static_cast<int>(static_cast<double>(product) / barScale);
}
