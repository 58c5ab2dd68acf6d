#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The result table of one machine: 20 rows of 10 unsigned 32-bit values. Row 2k holds the cycle
// values (millions of time-stamp cycles) of test k, row 2k+1 its millisecond values; column j
// is run j. A failed run is 0 in both rows. Values are always treated as unsigned.
// A run's table (RunTable) has the same rows for every test the run timed, which may be more
// than a result file's ten: the result file keeps the first ten (recordTable).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The tests a result file holds, fixed by its format (other copies read it byte for byte).
inline constexpr int kTestCount = 10;
inline constexpr int kRunsPerTest = 10;

// How test k is named outside the result file, as the run's test table (engine/testTableUnit)
// gives it: `id` for scripts (JSON, CSV), English and fixed for good, so that a dashboard keyed
// by it survives a change of the Russian `label`, the line the run writes before the test.
struct TestName {
    std::string id;
    std::string label;
    // False when this processor lacks what the test's kernel needs: the run made no call.
    bool supported = true;
};

using ResultRow = std::array<std::uint32_t, kRunsPerTest>;
using ResultTable = std::array<ResultRow, 2 * kTestCount>;
// One run's rows, two per test of the run's table, in its order.
using RunTable = std::vector<ResultRow>;

// What the run and the comparison show for a test that failed.
inline constexpr const char* kTestFailedText = "Тест не пройден";
// What they show for a test this processor cannot run (it needs an instruction set it lacks).
inline constexpr const char* kTestNotSupportedText = "Тест не поддерживается этим процессором";
// What follows a best figure in the run's lines (each begins with a blank).
inline constexpr const char* kMillionCyclesText = " млн. тактов";
inline constexpr const char* kMillisecondsText = " миллисекунд";

// Per-run outcome of one test: 0 when the run's kernel returned 0, 1 otherwise.
using RunFlags = std::array<std::int32_t, kRunsPerTest>;

static_assert(sizeof(ResultTable) == 800, "a result table is stored as 800 bytes");

// Tests are counted from 0 wherever the program reads them (their rows here, the run's tables,
// the JSON's "index"); people count them from 1, as the comparison's chosen test and the
// console's messages do. These two are the only conversions between the counts.
inline constexpr int testNumber(int test) { return test + 1; }
inline constexpr int testOfNumber(int number) { return number - 1; }

// Test k's rows of a result table or a run's table.
template <class Rows>
auto& cycleRow(Rows& table, int test) {
    return table[static_cast<std::size_t>(2 * test)];
}
template <class Rows>
auto& millisecondRow(Rows& table, int test) {
    return table[static_cast<std::size_t>(2 * test + 1)];
}

// The tests a table's rows hold.
inline int testsIn(std::span<const ResultRow> rows) { return static_cast<int>(rows.size() / 2); }

// The rows of a run of `tests` tests, all zero.
inline RunTable emptyRunTable(int tests) { return RunTable(static_cast<std::size_t>(2 * tests)); }

// What a result file keeps of a run: its first kTestCount tests (zero where it had fewer).
ResultTable recordTable(std::span<const ResultRow> run);

// The runs of one test that failed, 0 to 9 in run order: those 0 in both its rows.
std::vector<int> failedRuns(const ResultRow& cycles, const ResultRow& milliseconds);

// The values of `row` of the runs not in `failed`, in ascending order.
std::vector<std::uint32_t> passedRunValues(const ResultRow& row, std::span<const int> failed);

// The median of the values of `row` of the runs not in `failed` (the mean of the middle two of
// an even count); empty when every run failed.
std::optional<double> medianOfPassedRuns(const ResultRow& row, std::span<const int> failed);

// The average of the same values, from their 64-bit sum; empty when every run failed.
std::optional<double> averageOfPassedRuns(const ResultRow& row, std::span<const int> failed);

// What one test's ten calls say, by the one rule every output follows (the windows, the console's
// lines, the comparison, JSON, CSV, the page, --repeat and the machine's record): a test with a
// failed call failed and has no figures. Its rows still keep the passed calls' values and the
// failed calls' zeros, and JSON and CSV keep the calls; only best, median and average are left
// empty. The median of an even count is the mean of the middle two.
struct TestSummary {
    std::vector<int> failedRuns;  // run indexes 0 to 9 (failedRuns)
    std::optional<std::uint32_t> bestCycles, bestMilliseconds;
    std::optional<double> medianCycles, medianMilliseconds;
    std::optional<double> averageCycles, averageMilliseconds;

    bool failed() const { return !failedRuns.empty(); }
    // How far the median cycle value lies above the best (median / best - 1); none for a failed
    // test or a best of 0.
    std::optional<double> cycleSpread() const;
};

// The summary of a test's stored calls whose failures are known: `failed`, the runs 0 to 9 that
// failed, in run order (a run keeps them so; the result file only has its zeros).
TestSummary summariseCalls(const ResultRow& cycles, const ResultRow& milliseconds,
                           std::vector<int> failed);
// The summary of a test's stored rows, its failed calls read from their zeros (failedRuns).
TestSummary summariseTest(const ResultRow& cycles, const ResultRow& milliseconds);
inline TestSummary summariseTest(std::span<const ResultRow> results, int test) {
    return summariseTest(cycleRow(results, test), millisecondRow(results, test));
}
// Test `test`'s summary as its run made it, from `summaries` (test k at k), where they hold it;
// else that of its stored rows. What JSON and CSV print of a run and of a stored machine alike.
TestSummary summaryOf(std::span<const TestSummary> summaries, std::span<const ResultRow> results,
                      int test);

// The average of all ten values as stored, the 0 of a failed run included: their 64-bit sum
// divided by 10, truncated, so it lies between the smallest and the largest value.
std::uint32_t averageOfAllRuns(const ResultRow& row);
