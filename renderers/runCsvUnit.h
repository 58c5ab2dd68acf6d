#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// Results as CSV for spreadsheets (RFC 4180 quoting, UTF-8, one line feed per row): a header row,
// then one row per machine and test with the tests' fixed English ids and the summary of their
// runs. Written row by row, so a comparison of a million machines never sits in memory whole.

#include <optional>
#include <ostream>
#include <span>
#include <string>

#include "platform/machineDescription.h"
#include "record/comparisonStatsUnit.h"
#include "record/coresResultUnit.h"
#include "record/resultTableUnit.h"

// One machine's results: its name (the host name of a run, the result file of a stored machine)
// and its four descriptions.
struct CsvMachine {
    std::string name;
    platform::MachineDescription description;
    std::span<const ResultRow> results;             // a record's table or a run's
    const MachineComparison* comparison = nullptr;  // against the reference, where compared
    const CoresRun* cores = nullptr;                // its run on every core at once, if it had one
    const RecordQuality* quality = nullptr;         // the quality of its run, where known
    std::span<const TestSummary>
        summaries{};  // a run's own (RunExport::summaries); empty: `results`
};

// The header row; with `comparedIn`, twelve columns more: the unit compared in, and from each
// machine's comparison the test's ratio, p-value, floor, whether the difference is real ("true",
// "false", empty where inconclusive), the machine's index (empty where there is none), the
// verdict ("real", "within", "inconclusive"), the reason of an inconclusive one, the family's
// adjusted p-value, the interval's two ends and whether the machine's run was unsteady.
void writeCsvHeader(std::ostream& out, std::optional<BenchUnit> comparedIn = std::nullopt);

// The machine's rows, one per test of its table, each under its id in `tests` (empty where
// `tests` has none; no figures and no failed runs where `tests` says it is not supported), with
// 1 in `cores` and the comparison's columns when `comparedIn` is given, as for writeCsvHeader;
// then, for a machine run on every core at once, a row per test with the machine's figures as
// the best, the worker count in `cores` and the scaling. Descriptions are
// written as the program shows them (platform::printableText), the name as valid UTF-8 ('?' for
// a byte that is not). A text that a spreadsheet would take for a formula (one starting with
// '=', '+', '-', '@', a tab or a carriage return) gets a leading apostrophe, since descriptions
// come from anyone's result files.
void writeCsvMachine(std::ostream& out, std::span<const TestName> tests, const CsvMachine& machine,
                     std::optional<BenchUnit> comparedIn = std::nullopt);
