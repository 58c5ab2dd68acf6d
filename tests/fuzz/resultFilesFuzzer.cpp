// libFuzzer harness over what a shared result folder and a command line feed the program: the
// record reader, the folder reader, the comparison rows built from what they read, the JSON of a
// run described by the records' raw bytes, the run report reader, and the filter of what is
// printed. Any input is a result file and a run report; besides sanitizer reports it checks, one
// check per input chosen by its bytes, what must hold for every file: the folder reader gives the
// record reader's records, the rows (of one test in one unit, chosen by the bytes too) come in
// ascending order of their value, no bar is longer than its column, the JSON parses back to the
// table it was given, a report read is read again the same from the run's JSON made of it, and the
// printed text holds no control character.

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <numeric>
#include <string>

#include <simdjson.h>

#include "platform/codePage.h"
#include "record/cpuRecordUnit.h"
#include "record/runReportUnit.h"
#include "renderers/comparisonTextUnit.h"
#include "renderers/runJsonUnit.h"
#include "results/cpubenchUnit.h"

namespace {

constexpr int kColumnWidth = 250;

// The folder the input's file is written into: one for the whole fuzzing run, in memory (the
// shared-memory file system, or the temporary folder where there is none), so an input costs no
// disk and no folder of its own; removed at exit. Its name is never destroyed, so the removal at
// exit still has it.
const std::filesystem::path& inputFolder() {
    static const std::filesystem::path* const folder = [] {
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string pattern = base / "korvex-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) abort();
        const auto* made = new std::filesystem::path(pattern);
        std::atexit([] { std::filesystem::remove_all(inputFolder()); });
        return made;
    }();
    return *folder;
}

std::deque<TCpuRecord> throughTheFolder(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = inputFolder() / "input.dat";
    const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0 || write(out, data, size) != static_cast<ssize_t>(size) || close(out) != 0) abort();
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

// The run's JSON with the record's descriptions as raw bytes (not always UTF-8) for the machine's
// lines and the test labels: it must parse and hold the record's table. Read back with simdjson,
// which is not instrumented, so the check costs little besides the writing it checks.
void checkJson(const TCpuRecord& record) {
    RunExport run;
    platform::MachineDescription& lines = run.machine.description;
    lines = {std::string(descriptionBytes(record.Cpu)), std::string(descriptionBytes(record.Fsb)),
             std::string(descriptionBytes(record.Memory)),
             std::string(descriptionBytes(record.Os))};
    run.machine.frequencyGovernors = {lines.operatingSystem};
    run.testNames = {{lines.processor, descriptionText(record.Fsb)}};
    run.started = static_cast<std::time_t>(record.Results[0][0]) << 16;
    run.results.assign(record.Results.begin(), record.Results.end());
    simdjson::dom::parser parser;
    simdjson::dom::element parsed;
    if (parser.parse(runJson(run)).get(parsed)) abort();
    for (int test = 0; test < kTestCount; ++test) {
        simdjson::dom::array cycles;
        if (parsed.at_pointer("/tests/" + std::to_string(test) + "/cycles").get(cycles) ||
            cycles.size() != kRunsPerTest)
            abort();
        std::size_t run = 0;
        for (const simdjson::dom::element value : cycles) {
            std::uint64_t figure = 0;
            if (value.get_uint64().get(figure) || figure != cycleRow(record.Results, test)[run++])
                abort();
        }
    }
}

// The input as a run report: when it is one, the run's JSON made of it reads back to the same
// table and the same run on every core.
void checkRunReport(std::string_view text) {
    std::string why;
    const std::optional<RunReport> report = parseRunReport(text, {}, why);
    if (!report) return;
    RunExport run;
    run.machine.description = recordDescription(report->record);
    run.results.assign(report->record.Results.begin(), report->record.Results.end());
    run.cores = report->cores;
    const std::optional<RunReport> again = parseRunReport(runJson(run), {}, why);
    if (!again || again->record.Results != recordTable(run.results) ||
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

// The checks an input may take.
enum class Check { Reader, Rows, Json, RunReport, Printable };
constexpr unsigned kChecks = 5;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each input takes one check, chosen by the sum of its bytes: an input then costs one check's
    // time, so the fuzzer tries several times as many in its 30 s, and a change of any byte may
    // move an input to another check.
    const unsigned sum = std::accumulate(data, data + size, 0u);
    const auto check = static_cast<Check>(sum % kChecks);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::deque<TCpuRecord> records;
    appendRecords({data, size}, records);
    switch (check) {
        case Check::Reader: {
            const std::deque<TCpuRecord> read = throughTheFolder(data, size);
            if (read.size() != records.size()) abort();
            for (std::size_t i = 0; i < records.size(); ++i)
                if (std::memcmp(&read[i], &records[i], kRecordSize) != 0) abort();
            break;
        }
        case Check::Rows: {
            TCpuRecord own = makeOwnSystem();
            if (!records.empty()) own.Results = records.front().Results;
            // One test (or a number beside them) in one unit, chosen by the same sum.
            constexpr unsigned kTests = kLastSelectableTest - kFirstSelectableTest + 3;
            const unsigned choice = sum / kChecks;
            checkRows(records, own, kFirstSelectableTest - 1 + static_cast<int>(choice % kTests),
                      choice / kTests % 2 == 0 ? BenchUnit::Cycles : BenchUnit::Milliseconds);
            (void)comparisonTextLines(records, own, kFirstSelectableTest, BenchUnit::Milliseconds);
            break;
        }
        case Check::Json:
            if (!records.empty()) checkJson(records.front());
            break;
        case Check::RunReport:
            checkRunReport(text);
            break;
        case Check::Printable:
            checkPrintable(text);
            break;
    }
    return 0;
}
