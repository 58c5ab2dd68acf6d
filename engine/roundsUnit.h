#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// A run in rounds (the console's --order rounds): each round calls every test once, so that all
// tests of a round share one moment of the host. A host can run slow for seconds in a way no
// counter inside the machine shows; ten calls in a row would all fall into such a phase, while
// in rounds it costs each test one call, and the round shows it: its host factor, the median
// over its tests of call / that test's best, rises for every test at once.
//
// The order within a round comes from Latin squares over the calling units (an encode together
// with the decode of its width, since a decode works on the code its encode left; every other
// test alone): each unit takes each place once in every run of as many rounds as there are
// units. Every decode writes back the data block it was encoded from, and the transforms only
// read that block, so every call finds the data it finds in order.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "engine/disturbedCallsUnit.h"
#include "engine/harnessUnit.h"
#include "engine/sequenceUnit.h"
#include "kernel/workAreaUnit.h"
#include "record/runQualityUnit.h"

// Ten rounds: each test's ten calls.
inline constexpr int kRounds = kRunsPerTest;
// At most this many rounds beyond the ten, in search of ten undisturbed calls for every test.
inline constexpr int kMostExtraRounds = 10;
// A round whose host factor exceeds 1 + this counts as slow: its calls are disturbed. The
// share a whole run of one machine may move by. Beware: on the 2-vCPU virtual machine measured,
// with nothing else running, rounds of about a second had factors of 1.02-1.51 against the
// run's fastest, so most rounds count as slow there and most runs make all ten extra rounds.
inline constexpr double kSlowRoundShare = 0.05;

struct RoundOutcome {
    int round = 0;                 // from 1
    std::optional<double> factor;  // none when no call of the round passed
    bool disturbed = false;        // the factor exceeds 1 + kSlowRoundShare
    bool replaced = false;         // disturbed, and no test stores a call of it
};

// What a run in rounds says beyond its calls: the seed of its order and each round's outcome.
struct RunRounds {
    std::uint64_t seed = 0;
    std::vector<RoundOutcome> rounds;
};

// The calling units of `tests`, each a list of test indexes: a decode with the test before it,
// every other test alone; a test this processor cannot run is in none.
std::vector<std::vector<int>> callingUnits(TestTable tests);

// The order of `units` units in each of `rounds` rounds, from `seed`: the rows of randomly
// relabelled cyclic Latin squares, one square after another, so that within every square each
// unit takes each place once. The same seed gives the same orders.
std::vector<std::vector<int>> unitOrders(int units, int rounds, std::uint64_t seed);

// The tests of a round in calling order: the tests of each unit of `unitOrder` in turn.
std::vector<int> roundTests(const std::vector<std::vector<int>>& units,
                            const std::vector<int>& unitOrder);

// A seed for a run's order: 32 bits, so that it is short to type (--seed).
std::uint32_t drawSeed();

// Over the rounds made so far: each round's host factor, the calls of slow rounds marked
// (CallDisturbance::slowRoundShare), each test's ten least disturbed calls stored, and so which
// slow rounds were replaced. A test's best is its fastest call that passed.
std::vector<RoundOutcome> assessRounds(RunCalls& calls, int roundsMade);

// Whether a run that has made `roundsMade` rounds makes another: always until ten; beyond that
// only when replacing, no call failed, some test that made calls has fewer than ten undisturbed
// calls, and fewer than kMostExtraRounds extra rounds were made.
bool wantsAnotherRound(const RunCalls& calls, int roundsMade, bool replacing);

// The rounds as the JSON gives them.
std::vector<RoundExport> exportRounds(const RunRounds& rounds);

// What the run does around the calls: the line before each round and the pause after it (false
// ends the run), and the multimedia reset after a call of the MMX tests.
struct RoundSteps {
    std::function<bool(int round)> beforeRound;
    std::function<void(const TestEntry& test)> afterCall;
    std::function<bool(int round)> afterRound;
};

// The rounds of a run: the calls of every test of `tests` into `calls`, each call measured as
// timeCall measures it, with its round and place; `rounds.seed` chooses the order and
// `rounds.rounds` receives the outcomes; `calls` gets an entry per test. False when a step ended
// the run.
template <class Clock>
bool timeRounds(Clock& clock, TestTable tests, bool replacing, RunCalls& calls, RunRounds& rounds,
                const RoundSteps& steps) {
    const std::vector<std::vector<int>> units = callingUnits(tests);
    const std::vector<std::vector<int>> orders =
        unitOrders(static_cast<int>(units.size()), kRounds + kMostExtraRounds, rounds.seed);
    calls.resize(tests.size());
    for (TestCalls& test : calls) {
        test.made.clear();
        test.made.reserve(kRounds + kMostExtraRounds);
        test.replacing = replacing;
    }
    rounds.rounds.clear();
    for (int made = 0; wantsAnotherRound(calls, made, replacing);) {
        const int round = made + 1;
        if (!steps.beforeRound(round)) return false;
        int place = 0;
        for (const int test : roundTests(units, orders[static_cast<std::size_t>(made)])) {
            const TestEntry& entry = tests[static_cast<std::size_t>(test)];
            TimedCall call =
                timeCall(clock, entry.kernel, &TestBuffer1, &TestBuffer2, &TestBuffer3);
            call.round = round;
            call.place = ++place;
            calls[static_cast<std::size_t>(test)].made.push_back(call);
            steps.afterCall(entry);
        }
        ++made;
        if (made >= kRounds) rounds.rounds = assessRounds(calls, made);
        if (!steps.afterRound(round)) return false;
    }
    return true;
}
