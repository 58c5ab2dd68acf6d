#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// One run as the engine made it (runTestSequence), the one place every output reads its figures
// from: the windows' list and the console's lines (told each summary as it is made), JSON, CSV,
// --repeat, the quality report, the machine's history and the comparison.

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/disturbedCallsUnit.h"
#include "engine/roundsUnit.h"
#include "record/resultTableUnit.h"

struct RunResult {
    std::optional<std::uint64_t> clockMHz;  // none until measured
    // Each test's ten stored calls as the result file keeps them (a failed call 0 in both rows),
    // for every test of the run (a result file keeps the first ten: recordTable).
    RunTable table;
    // Each test's calls with their figures, disturbance and round, where the run keeps them
    // (SequenceOptions::keepCalls, and always in rounds).
    RunCalls calls;
    RunRounds rounds;  // in rounds: the seed and each round's outcome
    // Test k's summary at k by the one rule, from the failures the run saw (summariseCalls): its
    // failed calls, and best, median, average and spread when none failed. The tests finished
    // so far.
    std::vector<TestSummary> summaries;
};
