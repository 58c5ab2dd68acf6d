#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The console's comparison with its statistics: which record is the reference (the running
// machine after a run, the first result file read with --compare, or the file of --baseline),
// every machine's comparison with it, and the summary printed before the tests.

#include <cstddef>
#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "console/consoleOptionsUnit.h"
#include "record/comparisonStatsUnit.h"
#include "record/cpuRecordUnit.h"
#include "renderers/comparisonSummaryUnit.h"
#include "renderers/comparisonTextUnit.h"
#include "renderers/runJsonUnit.h"

// --baseline's reference, read before anything runs.
struct Baseline {
    std::deque<TCpuRecord> records;  // its one record, once read
    ResultFileRecords file;          // its file, and the record's place in it
};

// --baseline: reads its file before anything runs (nothing without the option): a run report
// (`*.json`) as the folders' reports are read, any other file for its first real record
// (loadFirstRealRecord). When it cannot, or the file holds only holes and zeros, says so with the
// reason on `err` and returns false.
[[nodiscard]] bool readBaseline(const ConsoleOptions& options, Baseline& baseline,
                                std::ostream& err);

// Makes the baseline's record part of the stored results: where it is a record of one of `files`
// (the same file under any name, the same place), nothing is added; otherwise it is appended to
// `records` as one more file. Returns the index of the baseline's record in `records`.
std::size_t addBaseline(Baseline& baseline, std::deque<TCpuRecord>& records,
                        std::vector<ResultFileRecords>& files);

// Every machine's comparison with the reference, in `unit`.
struct ConsoleComparison {
    BenchUnit unit = BenchUnit::Cycles;
    const TCpuRecord* reference = nullptr;  // names the reference's row; never read through
    std::vector<MachineComparison> stored;  // one per stored record, in order
    std::optional<MachineComparison> own;   // the running machine, after a run
    const TCpuRecord* ownRow = nullptr;
    std::unordered_map<const TCpuRecord*, std::size_t> storedIndex;  // of each record's row
    // What each stored record's run report says of its run (null without one), and the run's.
    std::vector<const RecordQuality*> storedQuality;
    const RecordQuality* ownQuality = nullptr;

    // The ratio column of test `test` (0 to 9) for the rows of the comparison's records.
    RowRatioText ratioText(int test) const;
};

// Compares every record of `records` (whose files `files` lists; the repeated runs of a file give
// their floors, a run report beside it the quality of its run) and `ownSystem` when given (its
// floors `ownFloors`, measured by --repeat, and the quality of its run `ownQuality`) with the
// reference: `records[referenceIndex]`, or `ownSystem` when `referenceIndex` is empty. The runs
// their reports name as one machine's are held against that machine's best on record
// (behindTheirMachines). The result points into `records` and `files`, at `ownSystem` and
// `ownQuality`, which must outlive it.
ConsoleComparison compareWithReference(const std::deque<TCpuRecord>& records,
                                       const std::vector<ResultFileRecords>& files,
                                       const TCpuRecord* ownSystem,
                                       std::optional<std::size_t> referenceIndex, BenchUnit unit,
                                       const MeasuredFloors& ownFloors = {},
                                       const RecordQuality* ownQuality = nullptr);

// The summary lines: the stored machines named `names` (one per record) and the running machine
// "Ваша система".
std::vector<std::string> consoleSummaryLines(const ConsoleComparison& comparison,
                                             const std::deque<TCpuRecord>& records,
                                             const std::vector<std::string>& names,
                                             const TCpuRecord* ownSystem);

// The block after the tests' tables: a blank line, "Все ядра сразу", then per test a blank line,
// its caption and the table of every stored machine whose run report had a run on every core at
// once and of the running machine's (`ownCores`, when it had one). Nothing when there is none.
std::vector<std::string> coresComparisonLines(const std::deque<TCpuRecord>& records,
                                              const std::vector<ResultFileRecords>& files,
                                              const CoresRun* ownCores, BenchUnit unit);
