#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The comparison's statistics as the console prints them: one line per machine with its index,
// and the ratio beside each row of a test's comparison, "≈" marking a difference within the
// floor and "?" one that cannot be decided.

#include <span>
#include <string>
#include <vector>

#include "record/comparisonStatsUnit.h"

// One machine of the summary.
struct SummaryMachine {
    std::string name;  // its file, or "Ваша система"
    std::string cpu;   // its processor line, UTF-8 as stored (printed with control bytes as '?')
    const MachineComparison* comparison = nullptr;
    bool reference = false;
    const RecordQuality* quality = nullptr;  // of its run, where its report said it
};

// What the summary's column "Run" says of a machine's run: "unsteady" when its run called a test
// unsteady, "slow phase" when a test lies beyond its floor behind its machine's best on record,
// both, or nothing.
std::string runMarks(const RecordQuality* quality, const MachineComparison& comparison);

// A heading naming `unit`, the columns "Machine", "CPU", "Index" (one decimal), "Tests" (how
// many the index is over), "Real" (the tests whose difference is real; "ref" for the
// reference), "Inconclusive" (the tests that cannot be decided) and "Run" (runMarks), then one
// line per machine, highest index first, machines without an index last; equal indexes keep the
// given order.
std::vector<std::string> comparisonSummaryLines(std::span<const SummaryMachine> machines,
                                                BenchUnit unit);

// The ratio as three decimals: "ref" for the reference, "1.103" for a real difference,
// "≈1.021" for one within the floor, "?1.048" for one that cannot be decided; empty without a
// ratio.
std::string ratioCellText(const TestComparison& test, bool reference);
