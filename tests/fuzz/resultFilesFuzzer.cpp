// libFuzzer harness over what a shared result folder and a command line feed the program: the
// record reader, the folder reader, the comparison rows built from what they read, the JSON of a
// run described by the records' raw bytes, the run report reader, and the filter of what is
// printed. Any input is a result file and a run report; besides sanitizer reports it checks what
// must hold for every file: the folder reader gives the record reader's records, the rows come in
// ascending order of their value, no bar is longer than its column, the JSON parses back to the
// table it was given, a report read is read again the same from the run's JSON made of it, and
// the printed text holds no control character.

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/codePage.h"
#include "results/comparisonTextUnit.h"
#include "results/cpuRecordUnit.h"
#include "results/cpubenchUnit.h"
#include "results/runJsonUnit.h"
#include "results/runReportUnit.h"

namespace {

constexpr int kColumnWidth = 250;

// A folder of its own for one input's file, removed with it once the input is read, so nothing
// outlives the input whichever way the fuzzer ends (a clean-up at exit ran after the folder's
// name was already destroyed, and removed nothing).
class InputFolder {
  public:
    InputFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korvex-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) abort();
        path_ = pattern;
    }
    ~InputFolder() { std::filesystem::remove_all(path_); }
    InputFolder(const InputFolder&) = delete;
    InputFolder& operator=(const InputFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::deque<TCpuRecord> throughTheFolder(const std::uint8_t* data, std::size_t size) {
    const InputFolder folder;
    const std::filesystem::path file = folder.path() / "input.dat";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) abort();
    std::deque<TCpuRecord> records;
    loadResultFolder(folder.path(), records);
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

// The run's JSON with the record's descriptions as raw bytes (not always UTF-8) for the machine's
// lines and the test labels: it must parse and hold the record's table.
void checkJson(const TCpuRecord& record) {
    RunExport run;
    platform::MachineDescription& lines = run.machine.description;
    lines = {std::string(descriptionBytes(record.Cpu)), std::string(descriptionBytes(record.Fsb)),
             std::string(descriptionBytes(record.Memory)),
             std::string(descriptionBytes(record.Os))};
    run.machine.frequencyGovernors = {lines.operatingSystem};
    run.testNames = {{lines.processor, descriptionText(record.Fsb)}};
    run.started = static_cast<std::time_t>(record.Results[0][0]) << 16;
    run.results = record.Results;
    const nlohmann::json parsed = nlohmann::json::parse(runJson(run));
    for (int test = 0; test < kTestCount; ++test)
        if (parsed["tests"][test]["cycles"] != cycleRow(record.Results, test)) abort();
}

// The input as a run report: when it is one, the run's JSON made of it reads back to the same
// table and the same run on every core.
void checkRunReport(std::string_view text) {
    std::string why;
    const std::optional<RunReport> report = parseRunReport(text, {}, why);
    if (!report) return;
    RunExport run;
    run.machine.description = recordDescription(report->record);
    run.results = report->record.Results;
    run.cores = report->cores;
    const std::optional<RunReport> again = parseRunReport(runJson(run), {}, why);
    if (!again || again->record.Results != run.results ||
        again->cores.has_value() != run.cores.has_value())
        abort();
    if (run.cores && (again->cores->count != run.cores->count ||
                      again->cores->tests.size() != run.cores->tests.size()))
        abort();
}

// What is printed of any bytes holds no control character and is valid UTF-8.
void checkPrintable(std::string_view bytes) {
    const std::string shown = platform::printableText(bytes);
    if (platform::printableText(shown) != shown) abort();
    for (const char byte : shown)
        if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F) abort();
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
    if (!records.empty()) checkJson(records.front());
    checkRunReport({reinterpret_cast<const char*>(data), size});
    checkPrintable({reinterpret_cast<const char*>(data), size});
    return 0;
}
