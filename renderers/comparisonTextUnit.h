#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The comparison as lines of text, for the console runner: the rows the comparison window lists
// for one test, with the bars drawn in characters.
//
// A bar is `barWidth` characters at most, scaled as the window scales its bars: the best run in
// '#' over the average in '=' ('*' over '+' for a row captioned "Ваша система"), and
// "Тест не пройден" after the average bar when the best run is 0.

#include <deque>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "record/coresResultUnit.h"
#include "results/cpubenchUnit.h"

inline constexpr int kTextBarWidth = 40;
inline constexpr int kTextColumnLimit = 32;  // longer descriptions are cut to this many characters

// The text of a column "Ratio" before the bar, for the row of `record`; without it there is no
// such column.
using RowRatioText = std::function<std::string(const TCpuRecord* record)>;

// Texts of the console's tables, UTF-8: how many characters `text` has; `text` cut to at most
// `limit` characters, never inside a character; `text` padded with blanks to `width` characters.
std::size_t characterCount(const std::string& text);
std::string cutToCharacters(const std::string& text, std::size_t limit);
std::string padded(const std::string& text, std::size_t width);

// A heading line and one line per row of `selectedTest` (1 to 10; no line for any other), UTF-8;
// the test's caption (comparisonCaption) is the caller's to print above them. Each column is as
// wide as its widest text (at most kTextColumnLimit characters), two blanks apart.
std::vector<std::string> comparisonTextLines(const std::deque<TCpuRecord>& systems,
                                             const TCpuRecord& ownSystem, int selectedTest,
                                             BenchUnit unit, int barWidth = kTextBarWidth,
                                             const RowRatioText& ratioText = {});

// The comparison of stored results alone: no row for the running machine. When `names` is not
// empty it holds a name for each of `systems` (where the record came from), shown in a first
// column "File" so that machines with equal descriptions can be told apart.
std::vector<std::string> storedComparisonTextLines(const std::deque<TCpuRecord>& systems,
                                                   std::span<const std::string> names,
                                                   int selectedTest, BenchUnit unit,
                                                   int barWidth = kTextBarWidth,
                                                   const RowRatioText& ratioText = {});

// A machine's run on every core at once, for the comparison's block after the tests.
struct CoresMachine {
    std::string name;  // its file, or "Ваша система"
    std::string cpu;   // its processor line, UTF-8
    const CoresRun* cores = nullptr;
};

// The table of test `test` (0 to 9) of that block: a heading line and a row per machine with a
// run on every core, columns "File", "CPU", "Cores" (its workers), "Value" (the machine's
// figure in `unit`, "Тест не пройден" without one) and "Scaling" (two decimals), the smallest
// figure first and the failed rows last. No line when no machine has such a run.
std::vector<std::string> coresComparisonTextLines(std::span<const CoresMachine> machines, int test,
                                                  BenchUnit unit);
