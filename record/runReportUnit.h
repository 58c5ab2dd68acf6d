#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The JSON run reports of a result folder (the documents a run writes with --json, schema 1 and
// 2), read back for the console's comparison so that a fleet's runs on every core are compared
// too. A report becomes one machine: its description from `machine`, its result table from each
// test's ten `cycles` and `milliseconds` (a run in `failed_runs` as 0 in both, as a result file
// holds it), and its run on every core at once from `cores`.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/coresResultUnit.h"
#include "record/cpuRecordUnit.h"
#include "record/resultTableUnit.h"

// The largest report read: a run's report with every call of every test takes tens of KB, its
// per-worker bests about 320 bytes a worker; a larger file is no report of this program's.
inline constexpr std::uint64_t kRunReportLimit = std::uint64_t{4} << 20;

struct RunReport {
    TCpuRecord record;
    std::optional<CoresRun> cores;
    std::string kernelCode{};             // "kernel_code"; empty when the report has none
    std::vector<std::string> warnings{};  // the quality report's lines after its spreads
    RecordQuality quality{};              // what the report says of the run's quality
};

// Whether `name` is a run report's name: it ends in ".json" in any mix of upper and lower case.
inline bool isRunReportName(std::string_view name) { return hasExtension(name, ".json"); }

// The report `text` holds, or nothing with the reason in `why` (UTF-8): not JSON, a schema this
// program does not read, a field missing or out of range, or, when `tests` is not empty, tests
// other than these (by id, in order).
std::optional<RunReport> parseRunReport(std::string_view text, std::span<const TestName> tests,
                                        std::string& why);

// Reads the run report `file` (as --baseline names it) the way a folder's reports are read; nothing
// with the reason in `why` when it cannot be used.
std::optional<RunReport> readRunReport(const std::filesystem::path& file,
                                       std::span<const TestName> tests, std::string& why);

// Reads the run reports of `folder`, after its result files were read into `records` and `files`
// (loadResultFolder), the way the result files were read: through the folder held open, only
// regular files, links followed as the kernel would. Each report the reader cannot use adds its
// note to `notes` in listing order and nothing else. A report beside a result file of the same
// name (`web1.json` and `web1.dat`, as a run writes both) adds no machine: its `cores` go to that
// file's last record with the same ten tests (the report is of the invocation's last run), and
// the result file is what is compared, under its name, with its repeated runs. A report unlike
// every record of its result file is skipped with a note. Any other report adds one record and
// one entry in `files`, while `records` holds fewer than `recordBudget`. Returns why the folder
// could not be read whole (platform::HeldFolder::readError).
std::error_code loadRunReports(const std::filesystem::path& folder, std::deque<TCpuRecord>& records,
                               std::vector<ResultFileNote>& notes,
                               std::vector<ResultFileRecords>& files,
                               std::span<const TestName> tests,
                               std::size_t recordBudget = kRecordBudget);
