#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The tests of a run, in the order of every run; the index is the test's row pair in the
// result table.

#include <span>

#include "testrun/sequenceUnit.h"

TestTable benchmarkTests();
