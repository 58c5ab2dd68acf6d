#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// What a run's report says of the quality of the record it wrote, so that the comparison can
// weigh the record by it: which calls were disturbed, how far each test's calls spread, which
// tests the run itself called unsteady, and which machine ran it (as the machine names itself,
// never as a user described it). A result file alone carries none of this.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/resultTableUnit.h"

struct RunExport;

struct RecordQuality {
    std::string host;       // the host name the run reported; empty when unknown
    std::string processor;  // the processor as CPUID names it; empty when unknown
    std::string order;      // "rounds" or "in-order"; empty when the report does not say
    std::optional<std::uint64_t> seed;
    std::array<std::optional<double>, kTestCount> spreads{};  // median / best − 1 of the ten
    std::array<bool, kTestCount> unsteady{};                  // over the run's spread limit
    // Bit j set: the call stored in column j of the test's rows was disturbed (it waited, moved
    // or ran in a slow round).
    std::array<std::uint16_t, kTestCount> disturbedCalls{};

    // Whether the run called any test unsteady.
    bool unsteadyRun() const;
    // How many of the test's stored calls were disturbed.
    int disturbedCount(int test) const;
    // Whether the record can be told to be one machine's: both its host and processor are known.
    bool machineKnown() const { return !host.empty() && !processor.empty(); }
};

// The quality of the run `run` exports, as its report will say it.
RecordQuality runRecordQuality(const RunExport& run);

// The tests (0 to 9) whose run was unsteady, for texts: "1, 5" with the comparison's numbers.
std::string unsteadyTestNumbers(const RecordQuality& quality);
