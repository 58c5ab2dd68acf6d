// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "renderers/comparisonSummaryUnit.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/codePage.h"
#include "renderers/comparisonTextUnit.h"

namespace {

constexpr std::array<const char*, 7> kSummaryColumns = {"Machine", "CPU",          "Index", "Tests",
                                                        "Real",    "Inconclusive", "Run"};

std::string fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::string runMarks(const RecordQuality* quality, const MachineComparison& comparison) {
    std::string marks;
    if (quality != nullptr && quality->unsteadyRun()) marks = "unsteady";
    if (std::any_of(comparison.tests.begin(), comparison.tests.end(),
                    [](const TestComparison& test) { return test.behind.has_value(); }))
        marks += marks.empty() ? "slow phase" : ", slow phase";
    return marks;
}

namespace {

std::array<std::string, kSummaryColumns.size()> summaryCells(const SummaryMachine& machine) {
    const MachineComparison& comparison = *machine.comparison;
    return {cutToCharacters(platform::printableText(machine.name), kTextColumnLimit),
            cutToCharacters(platform::printableText(machine.cpu), kTextColumnLimit),
            comparison.index ? fixed(*comparison.index, 1) : "-",
            std::to_string(comparison.testsInIndex),
            machine.reference ? "ref" : std::to_string(comparison.count(Verdict::Real)),
            machine.reference ? "ref" : std::to_string(comparison.count(Verdict::Inconclusive)),
            runMarks(machine.quality, comparison)};
}

}  // namespace

std::vector<std::string> comparisonSummaryLines(std::span<const SummaryMachine> machines,
                                                BenchUnit unit) {
    std::vector<const SummaryMachine*> order;
    for (const SummaryMachine& machine : machines) order.push_back(&machine);
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        return a->comparison->index.value_or(-1) > b->comparison->index.value_or(-1);
    });
    std::vector<std::array<std::string, kSummaryColumns.size()>> rows;
    std::array<std::size_t, kSummaryColumns.size()> widths{};
    for (std::size_t column = 0; column < widths.size(); ++column)
        widths[column] = characterCount(kSummaryColumns[column]);
    for (const SummaryMachine* machine : order) {
        rows.push_back(summaryCells(*machine));
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], characterCount(rows.back()[column]));
    }
    std::vector<std::string> lines = {
        std::string("Index in ") + (unit == BenchUnit::Cycles ? "cycles" : "milliseconds") +
        ": the reference is 100, higher is faster (geometric mean over the tests both ran)"};
    const auto line = [&](const auto& cells) {
        std::string text;
        for (std::size_t column = 0; column < cells.size(); ++column)
            text += padded(cells[column], widths[column]) + "  ";
        return text.substr(0, text.find_last_not_of(' ') + 1);
    };
    std::array<std::string, kSummaryColumns.size()> heading;
    std::copy(kSummaryColumns.begin(), kSummaryColumns.end(), heading.begin());
    lines.push_back(line(heading));
    for (const auto& row : rows) lines.push_back(line(row));
    return lines;
}

std::string ratioCellText(const TestComparison& test, bool reference) {
    if (reference) return "ref";
    if (!test.ratio) return {};
    const char* mark = test.verdict == Verdict::Real     ? ""
                       : test.verdict == Verdict::Within ? "≈"
                                                         : "?";
    return mark + fixed(*test.ratio, 3);
}
