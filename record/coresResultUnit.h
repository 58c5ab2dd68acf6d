#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// The figures of a run on every core at once (engine/coresRunUnit): per test, each worker's
// best call and the machine's figure, the best over the rounds of the slowest worker's time in
// that round (what the whole processor needs when every core does the test's work at once), and
// the scaling = workers × one-core best / machine figure, in cycles (2.0 on two cores that do
// not slow each other down at all).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/workerProcesses.h"

struct CoresTest {
    // Per worker, its best call (failed calls left out); empty when every call of it failed.
    std::vector<std::optional<std::uint32_t>> workerBestCycles;
    std::vector<std::optional<std::uint32_t>> workerBestMilliseconds;
    // Over the rounds in which no worker's call failed: the best of the slowest worker's time.
    std::optional<std::uint32_t> machineCycles;
    std::optional<std::uint32_t> machineMilliseconds;
    std::optional<double> scaling;  // empty without a machine figure or a one-core best
    std::string failure;            // why the workers did not finish, UTF-8; empty when they did
    // Rounds (every worker's call at once) beyond the ten, made to replace disturbed ones, and
    // the undisturbed rounds among the ten kept; a round is disturbed when one of its calls is.
    int extraRounds = 0;
    int cleanRounds = 0;
    std::string disturbance{};  // the quality report's line on the rounds, UTF-8; empty: none
};

struct CoresRun {
    int count = 0;                 // workers per test
    std::vector<CoresTest> tests;  // test k at index k
};

// The figures of one test from its workers' calls (per worker, per call, in round order: the
// rounds kept) and the one-core best in cycles (empty when the one-core test failed).
CoresTest summariseWorkerCalls(const std::vector<std::vector<platform::WorkerCall>>& calls,
                               std::optional<std::uint32_t> oneCoreBestCycles);
