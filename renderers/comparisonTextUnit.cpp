// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "renderers/comparisonTextUnit.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>

#include "platform/codePage.h"

namespace {

constexpr std::size_t kTextColumns = kBenchColumn;  // the Bench column is the bar
constexpr const char* kFileColumnTitle = "File";
constexpr const char* kRatioColumnTitle = "Ratio";

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

// `text` cut at its start to at most `limit` characters, "…" standing for what is left out: the
// end of a file's path is what tells files apart.
std::string keepEnd(const std::string& text, std::size_t limit) {
    const std::size_t characters = characterCount(text);
    if (characters <= limit) return text;
    const std::size_t skip = characters - limit + 1;  // one more, for the "…"
    std::size_t at = 0;
    for (std::size_t passed = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at])) continue;
        if (passed++ == skip) break;
    }
    return "…" + text.substr(at);
}

std::string bar(const ComparisonRow& row, BenchUnit unit, std::uint32_t barScale, int barWidth) {
    const std::uint32_t average = averageValue(row.summary, unit);
    const std::uint32_t best = bestValue(row.summary, unit);
    const int averageLength = average > 0 ? barLength(barWidth, average, barScale) : 0;
    const int bestLength = best > 0 ? barLength(barWidth, best, barScale) : 0;
    const char bestMark = row.drawnAsOwnSystem ? '*' : '#';
    const char averageMark = row.drawnAsOwnSystem ? '+' : '=';
    std::string text(static_cast<std::size_t>(bestLength), bestMark);
    text.append(static_cast<std::size_t>(std::max(0, averageLength - bestLength)), averageMark);
    if (best == 0) text += (text.empty() ? "" : " ") + std::string(kTestFailedText);
    return text;
}

// The lines of `list`; with `names`, a first column of each stored record's name; with
// `ratioText`, a column "Ratio" before the bar.
std::vector<std::string> textLines(const std::deque<TCpuRecord>& systems,
                                   std::span<const std::string> names, const ComparisonRows& list,
                                   int selectedTest, BenchUnit unit, int barWidth,
                                   const RowRatioText& ratioText) {
    std::vector<std::string> lines;
    if (selectedTest < kFirstSelectableTest || selectedTest > kLastSelectableTest) return lines;

    std::unordered_map<const TCpuRecord*, const std::string*> nameOf;
    for (std::size_t index = 0; index < systems.size() && index < names.size(); ++index)
        nameOf.emplace(&systems[index], &names[index]);
    constexpr std::size_t kRatioCell = kTextColumns + 1;
    std::vector<std::array<std::string, kTextColumns + 2>> cells;
    cells.reserve(list.rows.size());
    std::array<std::size_t, kTextColumns + 2> widths{};
    widths[0] = characterCount(kFileColumnTitle);
    for (std::size_t column = 0; column < kTextColumns; ++column)
        widths[column + 1] = characterCount(kComparisonColumns[column].title);
    widths[kRatioCell] = characterCount(kRatioColumnTitle);
    for (const ComparisonRow& row : list.rows) {
        auto& texts = cells.emplace_back();
        if (const auto name = nameOf.find(row.record); name != nameOf.end())
            texts[0] = keepEnd(platform::printableText(*name->second), kTextColumnLimit);
        // A description holds whatever bytes its file had: a NUL of a zero-filled fragment, a
        // line feed that would break the table, or an escape sequence that a terminal would obey.
        // The record keeps every byte; the text printed follows platform::printableText.
        for (std::size_t column = 0; column < kTextColumns; ++column)
            texts[column + 1] = cutToCharacters(
                platform::printableText(comparisonCellText(row, static_cast<int>(column), unit)),
                kTextColumnLimit);
        if (ratioText) texts[kRatioCell] = ratioText(row.record);
        for (std::size_t column = 0; column < texts.size(); ++column)
            widths[column] = std::max(widths[column], characterCount(texts[column]));
    }

    const std::size_t firstColumn = names.empty() ? 1 : 0;
    const std::size_t endColumn = ratioText ? kRatioCell + 1 : kRatioCell;
    std::string heading;
    for (std::size_t column = firstColumn; column < endColumn; ++column) {
        const char* title = column == 0            ? kFileColumnTitle
                            : column == kRatioCell ? kRatioColumnTitle
                                                   : kComparisonColumns[column - 1].title;
        heading += padded(title, widths[column]) + "  ";
    }
    lines.push_back(heading + kComparisonColumns[kBenchColumn].title);
    for (std::size_t index = 0; index < list.rows.size(); ++index) {
        std::string line;
        for (std::size_t column = firstColumn; column < endColumn; ++column)
            line += padded(cells[index][column], widths[column]) + "  ";
        line += bar(list.rows[index], unit, list.BarScale, barWidth);
        const std::size_t end = line.find_last_not_of(' ');
        lines.push_back(line.substr(0, end == std::string::npos ? 0 : end + 1));
    }
    return lines;
}

}  // namespace

std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char byte) { return !isContinuationByte(byte); }));
}

std::string cutToCharacters(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at])) continue;
        if (characters++ == limit) return text.substr(0, at);
    }
    return text;
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, characterCount(text)), ' ');
}

std::vector<std::string> comparisonTextLines(const std::deque<TCpuRecord>& systems,
                                             const TCpuRecord& ownSystem, int selectedTest,
                                             BenchUnit unit, int barWidth,
                                             const RowRatioText& ratioText) {
    return textLines(systems, {}, buildComparisonRows(systems, ownSystem, selectedTest, unit),
                     selectedTest, unit, barWidth, ratioText);
}

std::vector<std::string> storedComparisonTextLines(const std::deque<TCpuRecord>& systems,
                                                   std::span<const std::string> names,
                                                   int selectedTest, BenchUnit unit, int barWidth,
                                                   const RowRatioText& ratioText) {
    return textLines(systems, names, buildComparisonRows(systems, nullptr, selectedTest, unit),
                     selectedTest, unit, barWidth, ratioText);
}

std::vector<std::string> coresComparisonTextLines(std::span<const CoresMachine> machines, int test,
                                                  BenchUnit unit) {
    struct Row {
        std::optional<std::uint32_t> value;
        std::array<std::string, 5> texts;
    };
    std::vector<Row> rows;
    const auto index = static_cast<std::size_t>(test);
    for (const CoresMachine& machine : machines) {
        if (machine.cores == nullptr || index >= machine.cores->tests.size()) continue;
        const CoresTest& figures = machine.cores->tests[index];
        Row& row = rows.emplace_back();
        row.value = unit == BenchUnit::Cycles ? figures.machineCycles : figures.machineMilliseconds;
        char scaling[32] = {};
        if (figures.scaling) std::snprintf(scaling, sizeof scaling, "%.2f", *figures.scaling);
        row.texts = {keepEnd(platform::printableText(machine.name), kTextColumnLimit),
                     cutToCharacters(platform::printableText(machine.cpu), kTextColumnLimit),
                     std::to_string(machine.cores->count),
                     row.value ? std::to_string(*row.value) : std::string(kTestFailedText),
                     scaling};
    }
    if (rows.empty()) return {};
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.value && (!b.value || *a.value < *b.value);
    });
    rows.insert(rows.begin(),
                Row{std::nullopt, {kFileColumnTitle, "CPU", "Cores", "Value", "Scaling"}});
    std::array<std::size_t, 5> widths{};
    for (const Row& row : rows)
        for (std::size_t column = 0; column < widths.size(); ++column)
            widths[column] = std::max(widths[column], characterCount(row.texts[column]));
    std::vector<std::string> lines;
    for (const Row& row : rows) {
        std::string line;
        for (std::size_t column = 0; column < widths.size(); ++column)
            line += padded(row.texts[column], widths[column]) + "  ";
        lines.push_back(line.substr(0, line.find_last_not_of(' ') + 1));
    }
    return lines;
}
