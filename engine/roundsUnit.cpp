// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/roundsUnit.h"

#include <algorithm>
#include <numeric>
#include <random>

namespace {

// A random permutation of 0 to n - 1, drawn the same way from the same generator everywhere
// (std::shuffle's way of drawing is left to each library).
std::vector<int> permutation(int n, std::mt19937_64& generator) {
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    for (int i = n - 1; i > 0; --i) {
        const auto j = static_cast<int>(generator() % static_cast<std::uint64_t>(i + 1));
        std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
    }
    return order;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Each test's fastest call that passed, in ticks; 0 when it has none.
std::vector<std::uint64_t> bestTicks(const RunCalls& calls) {
    std::vector<std::uint64_t> bests;
    for (const TestCalls& test : calls) {
        std::uint64_t best = 0;
        for (const TimedCall& call : test.made)
            if (!call.failed && call.ticks > 0 && (best == 0 || call.ticks < best))
                best = call.ticks;
        bests.push_back(best);
    }
    return bests;
}

}  // namespace

std::vector<std::vector<int>> callingUnits(TestTable tests) {
    std::vector<std::vector<int>> units;
    for (std::size_t test = 0; test < tests.size(); ++test) {
        if (!tests[test].runsHere()) continue;
        if (tests[test].decodesTheTestBefore && !units.empty())
            units.back().push_back(static_cast<int>(test));
        else
            units.push_back({static_cast<int>(test)});
    }
    return units;
}

std::vector<std::vector<int>> unitOrders(int units, int rounds, std::uint64_t seed) {
    std::mt19937_64 generator(seed);
    std::vector<std::vector<int>> orders;
    while (static_cast<int>(orders.size()) < rounds) {
        // Rows, places and units relabelled at random: still a Latin square.
        const std::vector<int> rows = permutation(units, generator);
        const std::vector<int> places = permutation(units, generator);
        const std::vector<int> labels = permutation(units, generator);
        for (int row = 0; row < units && static_cast<int>(orders.size()) < rounds; ++row) {
            std::vector<int> order;
            for (int place = 0; place < units; ++place)
                order.push_back(
                    labels[static_cast<std::size_t>((rows[static_cast<std::size_t>(row)] +
                                                     places[static_cast<std::size_t>(place)]) %
                                                    units)]);
            orders.push_back(std::move(order));
        }
    }
    return orders;
}

std::vector<int> roundTests(const std::vector<std::vector<int>>& units,
                            const std::vector<int>& unitOrder) {
    std::vector<int> tests;
    for (const int unit : unitOrder) {
        const std::vector<int>& members = units[static_cast<std::size_t>(unit)];
        tests.insert(tests.end(), members.begin(), members.end());
    }
    return tests;
}

std::uint32_t drawSeed() {
    std::random_device device;
    return static_cast<std::uint32_t>(device());
}

std::vector<RoundOutcome> assessRounds(RunCalls& calls, int roundsMade) {
    const std::vector<std::uint64_t> bests = bestTicks(calls);
    std::vector<std::vector<double>> ratios(static_cast<std::size_t>(roundsMade));
    for (std::size_t test = 0; test < calls.size(); ++test)
        for (const TimedCall& call : calls[test].made)
            if (!call.failed && call.ticks > 0 && bests[test] > 0 && call.round >= 1 &&
                call.round <= roundsMade)
                ratios[static_cast<std::size_t>(call.round - 1)].push_back(
                    static_cast<double>(call.ticks) / static_cast<double>(bests[test]));

    std::vector<RoundOutcome> outcomes;
    for (int round = 1; round <= roundsMade; ++round) {
        RoundOutcome outcome;
        outcome.round = round;
        const std::vector<double>& ofRound = ratios[static_cast<std::size_t>(round - 1)];
        if (!ofRound.empty()) outcome.factor = median(ofRound);
        outcome.disturbed = outcome.factor && *outcome.factor > 1 + kSlowRoundShare;
        outcomes.push_back(outcome);
    }
    for (TestCalls& test : calls) {
        for (TimedCall& call : test.made) {
            const bool slow = call.round >= 1 && call.round <= roundsMade &&
                              outcomes[static_cast<std::size_t>(call.round - 1)].disturbed;
            call.disturbance.slowRoundShare =
                slow ? *outcomes[static_cast<std::size_t>(call.round - 1)].factor - 1 : 0;
        }
        test.stored = leastDisturbedCalls(test.made);
    }
    for (RoundOutcome& outcome : outcomes) {
        if (!outcome.disturbed) continue;
        outcome.replaced = std::none_of(calls.begin(), calls.end(), [&](const TestCalls& test) {
            return std::any_of(test.stored.begin(), test.stored.end(), [&](std::size_t call) {
                return call < test.made.size() && test.made[call].round == outcome.round;
            });
        });
    }
    return outcomes;
}

bool wantsAnotherRound(const RunCalls& calls, int roundsMade, bool replacing) {
    if (roundsMade < kRounds) return true;
    if (!replacing || roundsMade >= kRounds + kMostExtraRounds) return false;
    const auto failed = [](const TestCalls& test) {
        return std::any_of(test.made.begin(), test.made.end(),
                           [](const TimedCall& call) { return call.failed; });
    };
    if (std::any_of(calls.begin(), calls.end(), failed)) return false;
    return std::any_of(calls.begin(), calls.end(), [](const TestCalls& test) {
        return !test.made.empty() &&
               std::count_if(test.made.begin(), test.made.end(), [](const TimedCall& call) {
                   return !call.disturbance.disturbed();
               }) < kRunsPerTest;
    });
}

std::vector<RoundExport> exportRounds(const RunRounds& rounds) {
    std::vector<RoundExport> exported;
    for (const RoundOutcome& round : rounds.rounds)
        exported.push_back({round.round, round.factor, round.disturbed, round.replaced});
    return exported;
}
