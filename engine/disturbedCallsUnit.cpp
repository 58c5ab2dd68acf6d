// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/disturbedCallsUnit.h"

#include <algorithm>
#include <numeric>

bool CallDisturbance::waited() const {
    return static_cast<double>(waitNanoseconds + stealNanoseconds) >
           kDisturbedShare * static_cast<double>(durationNanoseconds);
}

double CallDisturbance::waitShare() const {
    const double waited = static_cast<double>(waitNanoseconds + stealNanoseconds);
    return durationNanoseconds == 0 ? waited : waited / static_cast<double>(durationNanoseconds);
}

CallDisturbance disturbanceBetween(const platform::DisturbanceReading& before,
                                   const platform::DisturbanceReading& after) {
    // Counters only grow; one that went back (a reading that failed on one side) counts 0.
    const auto grown = [](std::uint64_t first, std::uint64_t second) {
        return second > first ? second - first : 0;
    };
    CallDisturbance disturbance;
    disturbance.durationNanoseconds = grown(before.rawNanoseconds, after.rawNanoseconds);
    disturbance.waitNanoseconds = grown(before.waitNanoseconds, after.waitNanoseconds);
    disturbance.involuntarySwitches = grown(before.involuntarySwitches, after.involuntarySwitches);
    disturbance.processorAtStart = before.processor;
    disturbance.processorAtEnd = after.processor;
    // Steal is counted per processor: across a move the two readings are of different counters.
    if (!disturbance.moved())
        disturbance.stealNanoseconds = grown(before.stealNanoseconds, after.stealNanoseconds);
    return disturbance;
}

int TestCalls::cleanCalls() const {
    return static_cast<int>(std::count_if(stored.begin(), stored.end(), [&](std::size_t call) {
        return call < made.size() && !made[call].disturbance.disturbed();
    }));
}

bool wantsAnotherCall(const std::vector<TimedCall>& made, bool replacing) {
    if (made.size() < static_cast<std::size_t>(kRunsPerTest)) return true;
    if (!replacing || made.size() >= static_cast<std::size_t>(kRunsPerTest + kMostExtraCalls))
        return false;
    if (std::any_of(made.begin(), made.end(), [](const TimedCall& call) { return call.failed; }))
        return false;
    const auto clean = std::count_if(made.begin(), made.end(), [](const TimedCall& call) {
        return !call.disturbance.disturbed();
    });
    return clean < kRunsPerTest;
}

std::array<std::size_t, kRunsPerTest> leastDisturbedCalls(const std::vector<TimedCall>& made) {
    std::vector<std::size_t> order(made.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const CallDisturbance& first = made[a].disturbance;
        const CallDisturbance& second = made[b].disturbance;
        if (first.disturbed() != second.disturbed()) return !first.disturbed();
        return first.lostShare() < second.lostShare();
    });
    std::array<std::size_t, kRunsPerTest> chosen{};
    std::copy_n(order.begin(), std::min<std::size_t>(order.size(), kRunsPerTest), chosen.begin());
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

void storeCalls(const TestCalls& calls, ResultRow& cycles, ResultRow& milliseconds,
                RunFlags& flags) {
    for (std::size_t run = 0; run < calls.stored.size(); ++run) {
        const TimedCall& call = calls.made.at(calls.stored[run]);
        cycles[run] = call.cycles;
        milliseconds[run] = call.milliseconds;
        flags[run] = call.failed ? 1 : 0;
    }
}
