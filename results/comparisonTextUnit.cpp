#include "results/comparisonTextUnit.h"

#include <algorithm>
#include <array>

#include "platform/codePage.h"

namespace {

constexpr std::size_t kTextColumns = kBenchColumn;  // the Bench column is the bar

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

std::size_t characterCount(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char byte) { return !isContinuationByte(byte); }));
}

// `text` cut to at most `limit` characters, never inside a character.
std::string cutToCharacters(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (isContinuationByte(text[at])) continue;
        if (characters++ == limit) return text.substr(0, at);
    }
    return text;
}

// A description holds whatever bytes its file had: a NUL of a zero-filled fragment, a line feed
// that would break the table, or an escape sequence that a terminal would obey. The ASCII
// control characters (C0, DEL, C1) are left out of the text printed; the record keeps every byte.
std::string printable(const std::string& text) { return platform::printableText(text, ""); }

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, characterCount(text)), ' ');
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
    if (best == 0) text += (text.empty() ? "" : " ") + std::string(kBenchFailedText);
    return text;
}

}  // namespace

std::vector<std::string> comparisonTextLines(const std::deque<TCpuRecord>& systems,
                                             const TCpuRecord& ownSystem, int selectedTest,
                                             BenchUnit unit, int barWidth) {
    std::vector<std::string> lines;
    const char* caption = comparisonCaption(selectedTest);
    if (caption == nullptr) return lines;
    lines.emplace_back(caption);
    const ComparisonRows list = buildComparisonRows(systems, ownSystem, selectedTest, unit);

    std::vector<std::array<std::string, kTextColumns>> cells;
    cells.reserve(list.rows.size());
    std::array<std::size_t, kTextColumns> widths{};
    for (std::size_t column = 0; column < kTextColumns; ++column)
        widths[column] = characterCount(kComparisonColumns[column].title);
    for (const ComparisonRow& row : list.rows) {
        auto& texts = cells.emplace_back();
        for (std::size_t column = 0; column < kTextColumns; ++column) {
            texts[column] =
                cutToCharacters(printable(comparisonCellText(row, static_cast<int>(column), unit)),
                                kTextColumnLimit);
            widths[column] = std::max(widths[column], characterCount(texts[column]));
        }
    }

    std::string heading;
    for (std::size_t column = 0; column < kTextColumns; ++column)
        heading += padded(kComparisonColumns[column].title, widths[column]) + "  ";
    lines.push_back(heading + kComparisonColumns[kBenchColumn].title);
    for (std::size_t index = 0; index < list.rows.size(); ++index) {
        std::string line;
        for (std::size_t column = 0; column < kTextColumns; ++column)
            line += padded(cells[index][column], widths[column]) + "  ";
        line += bar(list.rows[index], unit, list.BarScale, barWidth);
        const std::size_t end = line.find_last_not_of(' ');
        lines.push_back(line.substr(0, end == std::string::npos ? 0 : end + 1));
    }
    return lines;
}
