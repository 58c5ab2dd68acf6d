#include "engine/roundsUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

#include "console/qualityReportUnit.h"
#include "engine/testTableUnit.h"
#include "support/fakeTestTable.h"

namespace {

TEST(Rounds, EncodesGoWithTheDecodeOfTheirWidthAndEveryOtherTestAlone) {
    EXPECT_EQ(callingUnits(resultFileTests()),
              (std::vector<std::vector<int>>{{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8}, {9}}));
}

TEST(Rounds, EachUnitTakesEachPlaceOnceInEverySquare) {
    const struct {
        int units, rounds;
        std::uint64_t seed;
    } cases[] = {{6, 20, 1}, {6, 10, 4'294'967'295u}, {3, 9, 7}, {1, 3, 0}};
    for (const auto& c : cases) {
        const auto orders = unitOrders(c.units, c.rounds, c.seed);
        ASSERT_EQ(orders.size(), static_cast<std::size_t>(c.rounds));
        for (std::size_t first = 0; first < orders.size(); first += c.units) {
            const std::size_t end = std::min(orders.size(), first + c.units);
            for (int place = 0; place < c.units; ++place) {
                std::set<int> atPlace;
                for (std::size_t round = first; round < end; ++round) {
                    std::vector<int> sorted = orders[round];
                    std::sort(sorted.begin(), sorted.end());
                    std::vector<int> all(static_cast<std::size_t>(c.units));
                    std::iota(all.begin(), all.end(), 0);
                    EXPECT_EQ(sorted, all) << "round " << round << " calls every unit once";
                    atPlace.insert(orders[round][static_cast<std::size_t>(place)]);
                }
                EXPECT_EQ(atPlace.size(), end - first) << "seed " << c.seed << " place " << place;
            }
        }
    }
}

TEST(Rounds, TheSameSeedGivesTheSameOrderAndAnotherSeedAnother) {
    EXPECT_EQ(unitOrders(6, 20, 1234), unitOrders(6, 20, 1234));
    EXPECT_NE(unitOrders(6, 20, 1234), unitOrders(6, 20, 1235));
    // The rounds of a run do not all share one order.
    const auto orders = unitOrders(6, 10, 99);
    EXPECT_GT(std::set<std::vector<int>>(orders.begin(), orders.end()).size(), 5u);
}

// A host whose moments are scripted: each test's call takes its base ticks, times its round's
// slowness (and a test's own, where given). Round r is calls 10 (r - 1) to 10 r - 1.
struct ScriptedHost {
    std::uint64_t now = 1'000'000'000;
    int callsMade = 0;
    std::map<int, double> slowRounds;                 // round -> slowness
    std::map<std::pair<int, int>, double> slowCalls;  // (round, test) -> slowness
    int failingTest = -1;
    std::vector<int> calledTests;
};
ScriptedHost* host = nullptr;

template <int test>
std::int32_t scriptedKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    const int round = host->callsMade / kTestCount + 1;
    ++host->callsMade;
    host->calledTests.push_back(test);
    double slowness = host->slowRounds.contains(round) ? host->slowRounds[round] : 1.0;
    if (host->slowCalls.contains({round, test})) slowness = host->slowCalls[{round, test}];
    host->now += static_cast<std::uint64_t>(100'000'000.0 * (test + 1) * slowness);
    return test == host->failingTest ? 1 : 0;
}

struct ScriptedClock {
    std::uint64_t serialisedTimeStamp() const { return host->now; }
    std::uint32_t tickCount() const { return static_cast<std::uint32_t>(host->now / 2'000'000); }
    platform::DisturbanceReading disturbance() const { return {}; }
};

template <std::size_t... test>
FakeTestTable scriptedTests(std::index_sequence<test...>) {
    FakeTestTable tests = programTestsTiming(nullptr);
    ((tests[test].kernel = scriptedKernel<static_cast<int>(test)>), ...);
    return tests;
}

struct RoundsRun {
    ScriptedHost scripted;
    RunCalls calls;
    RunRounds rounds;
    std::vector<int> emms;
    bool finished = false;

    void start(bool replacing, std::uint64_t seed = 5) {
        host = &scripted;
        const FakeTestTable tests = scriptedTests(std::make_index_sequence<kTestCount>());
        rounds.seed = seed;
        RoundSteps steps;
        steps.beforeRound = [](int) { return true; };
        steps.afterCall = [&](const TestEntry& entry) {
            if (entry.resetsMultimediaState) emms.push_back(scripted.callsMade);
        };
        steps.afterRound = [](int) { return true; };
        ScriptedClock clock;
        finished = timeRounds(clock, tests, replacing, calls, rounds, steps);
        host = nullptr;
    }
    // The rounds whose calls a test stores.
    std::set<int> storedRounds(int test) const {
        std::set<int> stored;
        for (const std::size_t call : calls[static_cast<std::size_t>(test)].stored)
            stored.insert(calls[static_cast<std::size_t>(test)].made[call].round);
        return stored;
    }
};

TEST(Rounds, ASlowRoundIsSeenAndReplacedByAnExtraRound) {
    struct Case {
        const char* what;
        std::map<int, double> slowRounds;
        std::map<std::pair<int, int>, double> slowCalls;
        bool replacing;
        int failingTest;
        int roundsMade;
        std::vector<int> slow;      // rounds counted as slow
        std::vector<int> replaced;  // of those, the ones no test stores
    };
    // After a normal first round every round runs slow: each test keeps its one clean call and
    // the earliest nine slow ones; the extra rounds' calls are the ones left out.
    std::map<int, double> afterTheFirstSlow;
    std::vector<int> allButTheFirst, theExtraRounds;
    for (int round = 2; round <= kRounds + kMostExtraRounds; ++round) {
        afterTheFirstSlow[round] = 1.3;
        allButTheFirst.push_back(round);
        if (round > kRounds) theExtraRounds.push_back(round);
    }
    const Case cases[] = {
        {"a quiet host", {}, {}, true, -1, 10, {}, {}},
        {"round 4 18 % slow", {{4, 1.18}}, {}, true, -1, 11, {4}, {4}},
        {"two slow rounds", {{2, 1.4}, {7, 1.1}}, {}, true, -1, 12, {2, 7}, {2, 7}},
        {"4 % slower is within the limit", {{4, 1.04}}, {}, true, -1, 10, {}, {}},
        {"one slow test does not make a slow round", {}, {{{4, 3}, 2.0}}, true, -1, 10, {}, {}},
        {"calls kept as they come", {{4, 1.18}}, {}, false, -1, 10, {4}, {}},
        {"a failing test is not replaced", {{4, 1.18}}, {}, true, 8, 10, {4}, {}},
        {"every round after the first slow: ten extra rounds",
         afterTheFirstSlow,
         {},
         true,
         -1,
         20,
         allButTheFirst,
         theExtraRounds},
    };
    for (const Case& c : cases) {
        RoundsRun run;
        run.scripted.slowRounds = c.slowRounds;
        run.scripted.slowCalls = c.slowCalls;
        run.scripted.failingTest = c.failingTest;
        run.start(c.replacing);
        ASSERT_TRUE(run.finished) << c.what;
        ASSERT_EQ(run.rounds.rounds.size(), static_cast<std::size_t>(c.roundsMade)) << c.what;
        std::vector<int> slow, replaced;
        for (const RoundOutcome& round : run.rounds.rounds) {
            if (round.disturbed) slow.push_back(round.round);
            if (round.replaced) replaced.push_back(round.round);
        }
        EXPECT_EQ(slow, c.slow) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
        for (int test = 0; test < kTestCount; ++test) {
            for (const int round : c.replaced) {
                EXPECT_FALSE(run.storedRounds(test).contains(round)) << c.what << " test " << test;
            }
        }
    }
}

TEST(Rounds, TheHostFactorIsTheMedianOfTheRoundsCallsOverEachTestsBest) {
    RoundsRun run;
    run.scripted.slowRounds = {{4, 1.18}, {6, 1.02}};
    // Three tests far slower in round 5 do not move its median.
    run.scripted.slowCalls = {{{5, 0}, 3.0}, {{5, 1}, 3.0}, {{5, 2}, 3.0}};
    run.start(true);
    const auto factor = [&](int round) {
        return run.rounds.rounds[static_cast<std::size_t>(round - 1)].factor.value_or(0);
    };
    EXPECT_NEAR(factor(4), 1.18, 1e-6);
    EXPECT_NEAR(factor(5), 1.0, 1e-6);
    EXPECT_NEAR(factor(6), 1.02, 1e-6);
    EXPECT_NEAR(factor(1), 1.0, 1e-6);
    // The slow round's calls carry its slowness; a call of another round none.
    const TestCalls& test3 = run.calls[3];
    for (const TimedCall& call : test3.made)
        EXPECT_NEAR(call.disturbance.slowRoundShare, call.round == 4 ? 0.18 : 0.0, 1e-6)
            << "round " << call.round;
}

TEST(Rounds, WithoutTenCleanCallsATestKeepsThoseOfItsLeastSlowRounds) {
    RoundsRun run;
    // Every round after the first slow, the later ones less so.
    for (int round = 2; round <= kRounds + kMostExtraRounds; ++round)
        run.scripted.slowRounds[round] = 1.5 - 0.01 * round;
    run.start(true);
    std::set<int> expected = {1};
    for (int round = 12; round <= kRounds + kMostExtraRounds; ++round) expected.insert(round);
    for (int test = 0; test < kTestCount; ++test)
        EXPECT_EQ(run.storedRounds(test), expected) << "test " << test;
}

TEST(Rounds, EveryRoundCallsEachTestOnceEachDecodeRightAfterItsEncode) {
    RoundsRun run;
    run.start(false, 77);
    ASSERT_EQ(run.scripted.calledTests.size(), static_cast<std::size_t>(kRounds * kTestCount));
    for (int round = 0; round < kRounds; ++round) {
        const auto first = run.scripted.calledTests.begin() + round * kTestCount;
        std::vector<int> called(first, first + kTestCount);
        for (std::size_t place = 0; place < called.size(); ++place) {
            if (benchmarkTests()[static_cast<std::size_t>(called[place])].decodesTheTestBefore) {
                EXPECT_EQ(called[place - 1], called[place] - 1) << "round " << round + 1;
            }
        }
        std::sort(called.begin(), called.end());
        for (int test = 0; test < kTestCount; ++test) EXPECT_EQ(called[test], test);
    }
    // The calls know their round and place, and the multimedia state is reset after each MMX
    // call.
    for (const TestCalls& test : run.calls) {
        for (std::size_t call = 0; call < test.made.size(); ++call) {
            EXPECT_EQ(test.made[call].round, static_cast<int>(call) + 1);
            EXPECT_EQ(run.scripted.calledTests[static_cast<std::size_t>(kTestCount * call +
                                                                        test.made[call].place - 1)],
                      &test - run.calls.data());
        }
    }
    EXPECT_EQ(run.emms.size(), 2u * kRounds);

    RoundsRun again;
    again.start(false, 77);
    EXPECT_EQ(again.scripted.calledTests, run.scripted.calledTests);
}

TEST(Rounds, TheQualityReportNamesASlowRound) {
    const struct {
        RoundOutcome round;
        bool replacing;
        const char* line;
    } cases[] = {
        {{4, 1.18, true, true}, true, "круг 4: все тесты медленнее на 18 %, заменён"},
        {{12, 1.4, true, false},
         true,
         "круг 12: все тесты медленнее на 40 %, не заменён: чистых кругов не хватило"},
        {{2, 1.07, true, false},
         false,
         "круг 2: все тесты медленнее на 7 %, не заменён (--runs-as-they-come)"},
    };
    for (const auto& c : cases) EXPECT_EQ(slowRoundLine(c.round, c.replacing), c.line);

    RunRounds rounds;
    rounds.rounds = {{1, 1.0, false, false}, {2, 1.18, true, true}};
    const QualityReport report = assessRun(ResultTable{}, nullptr, RunConditions{}, &rounds);
    const std::vector<std::string> lines = qualityWarningLines(report);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "круг 2: все тесты медленнее на 18 %, заменён"),
              lines.end());
}

}  // namespace
