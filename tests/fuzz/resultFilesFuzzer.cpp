// libFuzzer harness over what a shared result folder feeds the program: the record reader, the
// folder reader and the comparison rows built from what they read. Any input is a result file;
// besides sanitizer reports it checks what must hold for every file: the folder reader gives the
// record reader's records, the rows come in ascending order of their value, and no bar is
// longer than its column.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>

#include "results/comparisonTextUnit.h"
#include "results/cpuRecordUnit.h"
#include "results/cpubenchUnit.h"

namespace {

constexpr int kColumnWidth = 250;

// A folder of its own for the input's file, removed when the fuzzer ends.
const std::filesystem::path& inputFolder() {
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvex-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) abort();
        std::atexit([] { std::filesystem::remove_all(inputFolder()); });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

std::deque<TCpuRecord> throughTheFolder(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = inputFolder() / "input.dat";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) abort();
    std::deque<TCpuRecord> records;
    loadResultFolder(inputFolder(), records);
    return records;
}

void checkRows(const std::deque<TCpuRecord>& records, const TCpuRecord& own, int test,
               BenchUnit unit) {
    const ComparisonRows rows = buildComparisonRows(records, own, test, unit);
    const bool selectable = test >= kFirstSelectableTest && test <= kLastSelectableTest;
    if (rows.rows.size() != (selectable ? records.size() + 1 : 0)) abort();
    std::uint32_t previous = 0;
    for (const ComparisonRow& row : rows.rows) {
        const std::uint32_t value = bestValue(row.summary, unit);
        if (value < previous) abort();
        previous = value;
        for (const std::uint32_t bar : {value, averageValue(row.summary, unit)}) {
            const int length = barLength(kColumnWidth, bar, rows.BarScale);
            if (length < 0 || length > kColumnWidth) abort();
        }
        for (int column = 0; column < static_cast<int>(kComparisonColumns.size()); ++column)
            (void)comparisonCellText(row, column, unit);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::deque<TCpuRecord> records;
    appendRecords({data, size}, records);
    const std::deque<TCpuRecord> read = throughTheFolder(data, size);
    if (read.size() != records.size()) abort();
    for (std::size_t i = 0; i < records.size(); ++i)
        if (std::memcmp(&read[i], &records[i], kRecordSize) != 0) abort();

    TCpuRecord own = makeOwnSystem();
    if (!records.empty()) own.Results = records.front().Results;
    for (int test = kFirstSelectableTest - 1; test <= kLastSelectableTest + 1; ++test)
        for (const BenchUnit unit : {BenchUnit::Cycles, BenchUnit::Milliseconds})
            checkRows(records, own, test, unit);
    (void)comparisonTextLines(records, own, kFirstSelectableTest, BenchUnit::Milliseconds);
    return 0;
}
