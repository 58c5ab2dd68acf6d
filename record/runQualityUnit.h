#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// What a run's JSON says beyond its result table (schema 2): each test's calls with what
// disturbed them, and the quality report as data. Filled by the run; written by runJson.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One timed call.
struct CallExport {
    std::size_t call = 0;  // its place among the test's calls, in run order, from 0
    std::uint32_t cycles = 0;
    std::uint32_t milliseconds = 0;
    bool failed = false;
    std::uint64_t waitMicroseconds = 0;   // waiting for a processor (run queue)
    std::uint64_t stealMicroseconds = 0;  // taken by the hypervisor
    std::uint64_t involuntarySwitches = 0;
    int processorAtStart = -1;  // -1 when unknown
    int processorAtEnd = -1;
    bool disturbed = false;
    // Run in rounds: its round (from 1) and its place in the round (from 1); 0 otherwise.
    int round = 0;
    int place = 0;
};

// One round of a run in rounds: its host factor (the median over its tests of call / that
// test's best), whether that made it slow, and whether its calls were all replaced.
struct RoundExport {
    int round = 0;
    std::optional<double> factor;
    bool disturbed = false;
    bool replaced = false;
};

// The run's standing against the earlier runs of this machine (the same kernel code and
// processor) kept in its state folder.
struct HistoryExport {
    int runsOnRecord = 0;
    // The best of them as an index with this run at 100 (above 100: faster than this run), and
    // how much slower this run is than it (0.29: 29 %), none when no earlier run compares.
    std::optional<double> bestIndex;
    std::optional<double> slowerBy;
    // How far the best of a test moves across this machine's runs in each order: the median over
    // the tests of (largest best / smallest best - 1) over the latest `runsPerOrder` runs of each
    // order, this run included; none until each order has kSteadinessRuns runs of the machine.
    int runsPerOrder = 0;
    std::optional<double> roundsSpread;
    std::optional<double> inOrderSpread;
};

// One test's calls: the ten its rows hold and those left out for being more disturbed.
struct TestCallsExport {
    std::vector<CallExport> stored;
    std::vector<CallExport> replaced;
    int extraCalls = 0;
    int cleanCalls = 0;  // of the stored ten
};

// One test in the quality report.
struct TestQualityExport {
    std::optional<double> spread;  // median / best - 1 of the stored calls
    int disturbedCalls = 0;        // of the first ten calls
    int waitedCalls = 0;
    int movedCalls = 0;
    std::uint64_t waitMicroseconds = 0;  // wait + steal of those calls
    std::string line;                    // its line in the report; empty when undisturbed
};

struct QualityCauseExport {
    std::string id;
    std::string text;
};

struct QualityExport {
    double spreadLimit = 0;                // spreads above it are warned about
    double disturbedShare = 0;             // the disturbed-call rule's share of a call's duration
    std::vector<TestQualityExport> tests;  // test k at index k
    std::vector<int> unsteadyTests;        // indexes
    std::vector<QualityCauseExport> causes;
    std::vector<std::string> lines;  // the report as printed
};

// Several whole runs of one invocation: per test each run's best and the run-to-run spread.
struct RepeatExport {
    int runs = 0;
    std::vector<std::vector<std::optional<std::uint32_t>>> bestCycles;  // [test][run]
    std::vector<std::vector<std::optional<std::uint32_t>>> bestMilliseconds;
    std::vector<std::optional<double>> spreads;  // per test: largest / smallest best - 1
};
