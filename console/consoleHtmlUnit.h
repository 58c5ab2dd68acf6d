#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The console's page (--html): the comparison's machines, with their statistics, as
// renderers/htmlReportUnit draws them.

#include <ctime>
#include <deque>
#include <string>
#include <vector>

#include "console/consoleComparisonUnit.h"
#include "platform/machineDescription.h"
#include "renderers/htmlReportUnit.h"
#include "renderers/runJsonUnit.h"

// The running machine, after a run: its record (Cpu "Ваша система", the run's table) and what
// the run knows of it.
struct PageRun {
    const TCpuRecord* record = nullptr;
    std::span<const ResultRow> results;  // every test of the run, beyond the record's ten too
    platform::MachineDescription description;
    std::string kernelCode;
    std::vector<std::string> warnings;  // the quality report's warnings (qualityWarningLines)
    const CoresRun* cores = nullptr;
    const RecordQuality* quality = nullptr;  // the quality of the run
};

// The page of `comparison` over the stored `machines` (one per record, as storedMachines gives
// them; those the comparison has no statistics for are shown without them) and, after a run,
// `run`, made at `made`. The page points into all of them.
HtmlReport consolePage(const ConsoleComparison& comparison,
                       const std::vector<StoredMachine>& machines, const PageRun* run,
                       std::time_t made);
