#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// Several whole runs in one invocation (the console's --repeat): how far each test's best moved
// from run to run. Whole runs on one machine differ by a few per cent while one run's calls
// agree far more closely, so this is the figure that says how far apart two machines must be.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"
#include "record/runQualityUnit.h"

// The largest over the smallest of the runs' best cycle values of `test`, minus 1; empty with
// fewer than two runs or when a run has no best (a failed call, or under a million cycles).
std::optional<double> runToRunSpread(std::span<const RunTable> runs, int test);

// The report's lines (UTF-8): a heading, then per test (numbered 1 to 10) its spread.
std::vector<std::string> repeatReportLines(TestTable tests, std::span<const RunTable> runs);

// The same as the JSON gives it, with each run's bests.
RepeatExport exportRepeat(std::span<const RunTable> runs);
