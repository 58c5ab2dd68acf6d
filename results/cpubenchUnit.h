#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The rows of the comparison: one TViborka per machine, the order of the rows, the bar scale and
// the bar lengths. Shared by the comparison window and the console runner.

#include <array>
#include <cstdint>
#include <deque>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "record/cpuRecordUnit.h"

// The summary of one machine's ten runs of the chosen test.
struct TViborka {
    std::uint32_t MinCycles;
    std::uint32_t AvgCycles;
    std::uint32_t MinMs;
    std::uint32_t AvgMs;
};

// The chosen unit: millions of processor cycles, or milliseconds.
enum class BenchUnit { Cycles, Milliseconds };

// The comparison chooses its test by number, 1 to 10.
inline constexpr int kFirstSelectableTest = testNumber(0);
inline constexpr int kLastSelectableTest = testNumber(kTestCount - 1);

inline constexpr const char* kOwnSystemCaption = "Ваша система";
inline constexpr const char* kComparisonCaption = "Bench";

// The columns of the comparison list, with their widths at start in pixels.
enum ComparisonColumn {
    kCpuColumn,
    kFsbColumn,
    kMemoryColumn,
    kOsColumn,
    kValueColumn,
    kBenchColumn
};
struct ColumnHeading {
    const char* title;
    int width;
};
inline constexpr std::array<ColumnHeading, 6> kComparisonColumns = {{
    {"CPU", 150},
    {"FSB", 50},
    {"Memory", 50},
    {"OS", 120},
    {"Value", 50},
    {"Bench", 250},
}};

// The running machine's record: Cpu "Ваша система", the other descriptions empty, all results 0.
TCpuRecord makeOwnSystem();

// Copies the cycle row and the millisecond row of test `test` (1 to 10) of `record` into
// `cycles` and `milliseconds`. For any other number copies nothing and returns false.
bool GetTestRows(int test, const TCpuRecord& record, ResultRow& cycles, ResultRow& milliseconds);

// Minima and averages (averageOfAllRuns) of the ten runs as stored, a failed run's 0 included.
TViborka summariseRuns(const ResultRow& cycles, const ResultRow& milliseconds);

// V, the value a row is sorted by and shows: the minimum of the chosen unit.
std::uint32_t bestValue(const TViborka& summary, BenchUnit unit);
// A, the average of the chosen unit.
std::uint32_t averageValue(const TViborka& summary, BenchUnit unit);

// Whether `record` is drawn as the running machine: its Cpu text is exactly "Ваша система". A
// loaded record of that name is drawn so too.
bool hasOwnSystemCaption(const TCpuRecord& record);

struct ComparisonRow {
    const TCpuRecord* record;  // into the loaded records, or the running machine's record
    TViborka summary;
    bool isOwnSystem;       // the running machine's row: FSB, Memory and OS shown empty
    bool drawnAsOwnSystem;  // captioned "Ваша система": the own row's colours
};

struct ComparisonRows {
    std::vector<ComparisonRow> rows;
    std::uint32_t BarScale = 1;  // the largest average of the chosen unit, never below 1
};

// The rows for `selectedTest` and `unit`: every loaded record in loading order, then
// `ownSystem`, in ascending order of V; a row never passes a row of equal value that came before
// it, so the running machine comes last among equals. `selectedTest` outside 1 to 10 gives no
// rows. The rows point into `systems` and at `ownSystem`, which must outlive them.
ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>& systems,
                                   const TCpuRecord& ownSystem, int selectedTest, BenchUnit unit);
// The same with no running machine when `ownSystem` is null: a comparison of stored results only.
ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>& systems,
                                   const TCpuRecord* ownSystem, int selectedTest, BenchUnit unit);

// The rows keep pointers: a temporary record would leave them dangling.
ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>&&, const TCpuRecord&, int,
                                   BenchUnit) = delete;
ComparisonRows buildComparisonRows(const std::deque<TCpuRecord>&, const TCpuRecord&&, int,
                                   BenchUnit) = delete;

// Runs `build` (which builds rows or text over `systems`); where memory runs out meanwhile, leaves
// out the later half of the records and tries again, adding how many went to `leftOut`, so a
// folder that filled the memory still shows what fits. Rethrows only with no record left.
template <typename Build>
auto withinMemory(std::deque<TCpuRecord>& systems, std::uint64_t& leftOut, Build build)
    -> decltype(build()) {
    for (;;) {
        try {
            return build();
        } catch (const std::bad_alloc&) {
            if (systems.empty()) throw;
            const std::size_t kept = systems.size() / 2;
            leftOut += systems.size() - kept;
            systems.resize(kept);
            systems.shrink_to_fit();
        }
    }
}

// The text of one cell, UTF-8: the descriptions, V in unsigned decimal, and nothing for Bench.
std::string comparisonCellText(const ComparisonRow& row, int column, BenchUnit unit);

// The Bench cell as assistive technology reads it, UTF-8: what the bars show to the eye, the
// best and the average run with the unit ("лучший 101, средний 105 млн. тактов"), or
// "Тест не пройден" and the average where there is one.
std::string benchCellSpokenText(const ComparisonRow& row, BenchUnit unit);

// The length of a bar for `value` in a column `width` pixels (or characters) wide:
// width × value / barScale, the product in 64-bit integers, the quotient in floating point,
// truncated toward zero.
int barLength(int width, std::uint32_t value, std::uint32_t barScale);
