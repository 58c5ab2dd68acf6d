#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The tests of a run, in the order of every run, each described once (TestEntry): the index is
// the test's row pair in the result table, and everything that names, shows or times a test
// reads it here.

#include <vector>

#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"

// Every test of the program: what the console runs.
TestTable benchmarkTests();

// The first kTestCount tests, those a result file holds: what the windows run and show.
ResultFileTests resultFileTests();

// Each test's id and label and whether this processor runs it, in table order, for JSON and CSV.
std::vector<TestName> benchmarkTestNames();

// The comparison window's caption for `selectedTest` (1 to 10), UTF-8; nullptr for any other.
const char* comparisonCaption(int selectedTest);
