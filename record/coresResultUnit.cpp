// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/coresResultUnit.h"

#include <algorithm>

namespace {

// The smaller of `best` and `value`, `value` when there is no best yet.
void keepSmaller(std::optional<std::uint32_t>& best, std::uint32_t value) {
    best = best ? std::min(*best, value) : value;
}

}  // namespace

CoresTest summariseWorkerCalls(const std::vector<std::vector<platform::WorkerCall>>& calls,
                               std::optional<std::uint32_t> oneCoreBestCycles) {
    CoresTest test;
    std::size_t rounds = calls.empty() ? 0 : calls.front().size();
    for (const std::vector<platform::WorkerCall>& worker : calls) {
        std::optional<std::uint32_t> cycles, milliseconds;
        for (const platform::WorkerCall& call : worker) {
            if (call.failed) continue;
            keepSmaller(cycles, call.cycles);
            keepSmaller(milliseconds, call.milliseconds);
        }
        test.workerBestCycles.push_back(cycles);
        test.workerBestMilliseconds.push_back(milliseconds);
        rounds = std::min(rounds, worker.size());
    }
    for (std::size_t round = 0; round < rounds; ++round) {
        std::uint32_t slowestCycles = 0, slowestMilliseconds = 0;
        bool failed = false;
        for (const std::vector<platform::WorkerCall>& worker : calls) {
            failed = failed || worker[round].failed;
            slowestCycles = std::max(slowestCycles, worker[round].cycles);
            slowestMilliseconds = std::max(slowestMilliseconds, worker[round].milliseconds);
        }
        if (failed) continue;
        keepSmaller(test.machineCycles, slowestCycles);
        keepSmaller(test.machineMilliseconds, slowestMilliseconds);
    }
    if (test.machineCycles && *test.machineCycles > 0 && oneCoreBestCycles)
        test.scaling = static_cast<double>(calls.size()) * *oneCoreBestCycles / *test.machineCycles;
    return test;
}
