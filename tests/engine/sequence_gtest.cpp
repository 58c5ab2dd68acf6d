#include "engine/sequenceUnit.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "engine/roundsUnit.h"
#include "engine/runResultUnit.h"
#include "support/expectedRunLines.h"
#include "support/fakeRunList.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "support/lockSquatter.h"
#include "support/unprivileged.h"

namespace {

int failingKernelCalls = 0;

std::int32_t kernelFailingOnFifthRun(std::uint8_t* const*, std::uint8_t* const*,
                                     std::uint8_t* const*) {
    return ++failingKernelCalls == 5 ? 1 : 0;
}

const FakeTestTable kFakeTests = [] {
    FakeTestTable tests = numberedTestsTiming(passingKernel);
    tests[3].kernel = kernelFailingOnFifthRun;
    return tests;
}();

// A result whose table holds `rows` before the run.
RunResult resultOfRows(RunTable rows) {
    RunResult result;
    result.table = std::move(rows);
    return result;
}

struct SequenceRun {
    FakeRunList list;
    FakeSequencePlatform system;
    RunResult result = resultOfRows(emptyRunTable(kTestCount));
    void start(bool raise, bool pause) {
        failingKernelCalls = 0;
        runTestSequence({raise, pause}, kFakeTests, list, system, result);
    }
};

TEST(TestSequence, ListsEveryTestWithPausesAfterAllButTheLast) {
    SequenceRun run;
    run.start(true, true);
    EXPECT_EQ(run.list.lines, expectedRunLines(kFakeTests, true, 3));
    EXPECT_EQ(run.system.count("sleep 5000"), kTestCount - 1);
}

TEST(TestSequence, WithoutPausesNoPauseLineAndNoPause) {
    SequenceRun run;
    run.start(true, false);
    EXPECT_EQ(run.list.lines, expectedRunLines(kFakeTests, false, 3));
    EXPECT_EQ(run.system.count("sleep 5000"), 0);
}

TEST(TestSequence, ClockMeasurementAndPrioritiesInOrder) {
    SequenceRun run;
    run.start(true, false);
    const std::vector<std::string> opening(run.system.calls.begin(), run.system.calls.begin() + 6);
    EXPECT_EQ(opening,
              (std::vector<std::string>{"save", "raise", "sleep 10", "tsc", "sleep 1000", "tsc"}));
    EXPECT_EQ(run.system.calls.back(), "restore");
    EXPECT_EQ(run.system.current.niceValue, 0);
    EXPECT_EQ(run.system.current.schedulingPolicy, 0);
}

TEST(TestSequence, NormalPriorityStillSavesAndRestores) {
    SequenceRun run;
    run.system.current = {5, 0, 0};
    run.start(false, false);
    EXPECT_EQ(run.system.count("save"), 1);
    EXPECT_EQ(run.system.count("raise"), 0);
    EXPECT_EQ(run.system.count("restore"), 1);
    EXPECT_EQ(run.system.current.niceValue, 5);
}

TEST(TestSequence, AnExceptionInsideTheRunStillRestoresThePriorities) {
    SequenceRun run;
    run.system.current = {5, 0, 0};
    run.system.duringSleep = [](std::uint32_t milliseconds) {
        if (milliseconds == 1000) throw std::runtime_error("interrupted");
    };
    EXPECT_THROW(run.start(true, false), std::runtime_error);
    EXPECT_EQ(run.system.calls.back(), "restore");
    EXPECT_EQ(run.system.current.niceValue, 5);
    EXPECT_EQ(run.system.current.schedulingPolicy, 0);
}

TEST(TestSequence, MultimediaStateResetAfterTheMmxTestsOnly) {
    SequenceRun run;
    run.start(false, false);
    EXPECT_EQ(run.system.count("emms"), 2);
}

TEST(TestSequence, RepaintsAndProcessesMessagesBetweenStepsOnly) {
    SequenceRun run;
    run.start(false, true);
    const std::vector<std::string>& events = run.list.events;
    const std::vector<std::string> opening(events.begin(), events.begin() + 9);
    EXPECT_EQ(opening,
              (std::vector<std::string>{"clear", "Опеределение частоты процессора...", "repaint",
                                        "messages", "Тактовая частота: 2394MHz", "messages",
                                        "test 0", "messages", "0 млн. тактов"}));
    const std::vector<std::string> afterFigures(events.begin() + 9, events.begin() + 14);
    EXPECT_EQ(afterFigures, (std::vector<std::string>{"0 миллисекунд", "messages", "Простой 5 сек.",
                                                      "messages", "test 1"}));
}

TEST(TestSequence, FailedRunKeepsTheOtherNineValuesInItsRows) {
    constexpr std::uint32_t kUntouched = 0xFFFFFFFFu;
    SequenceRun run;
    for (ResultRow& row : run.result.table) row.fill(kUntouched);
    run.start(false, false);
    const ResultRow& cycles = run.result.table[2 * 3];
    const ResultRow& milliseconds = run.result.table[2 * 3 + 1];
    EXPECT_EQ(cycles[4], 0u);
    EXPECT_EQ(milliseconds[4], 0u);
    ASSERT_EQ(run.result.summaries.size(), static_cast<std::size_t>(kTestCount));
    EXPECT_EQ(run.result.summaries[3].failedRuns, std::vector<int>{4});
    EXPECT_FALSE(run.result.summaries[3].bestCycles);
    // The harness wrote every row. The values themselves are not checked: on a loaded machine
    // even a run of a trivial kernel can be preempted for milliseconds.
    for (const ResultRow& row : run.result.table)
        for (std::uint32_t value : row) EXPECT_NE(value, kUntouched);
}

int passingKernelCalls = 0;

std::int32_t countedPassingKernel(std::uint8_t* const*, std::uint8_t* const*,
                                  std::uint8_t* const*) {
    ++passingKernelCalls;
    return 0;
}

// The console's run: every test of the program, beyond the result file's ten, the last one of
// a kind this processor cannot run. That one is listed as such and never called, in either order.
TEST(TestSequence, ATestThisProcessorCannotRunIsListedAsSuchAndNeverCalled) {
    std::vector<TestEntry> tests = everyTestTiming(countedPassingKernel);
    tests.push_back(tests.front());
    tests.back().label = "beyond";
    tests.back().supported = [] { return false; };
    const int count = static_cast<int>(tests.size());
    ASSERT_GT(count, kTestCount);
    for (const TestOrder order : {TestOrder::InOrder, TestOrder::Rounds}) {
        FakeRunList list;
        FakeSequencePlatform system;
        SequenceOptions options{false, false, false, order, 3};
        options.keepCalls = true;
        RunResult result =
            resultOfRows(RunTable(static_cast<std::size_t>(2 * count), ResultRow{7}));
        passingKernelCalls = 0;
        runTestSequence(options, tests, list, system, result);
        const RunTable& results = result.table;
        EXPECT_EQ(passingKernelCalls, kRunsPerTest * (count - 1));
        EXPECT_EQ(result.calls.size(), tests.size());
        EXPECT_EQ(result.summaries.size(), tests.size());
        EXPECT_FALSE(result.summaries.back().bestCycles);
        const auto label = std::find(list.lines.begin(), list.lines.end(), "beyond");
        ASSERT_NE(label, list.lines.end());
        EXPECT_EQ(*std::next(label), kTestNotSupportedText);
        EXPECT_EQ(list.lines.back(), kFinishedText);
        EXPECT_EQ(cycleRow(results, count - 1), ResultRow{});
        EXPECT_EQ(millisecondRow(results, count - 1), ResultRow{});
        EXPECT_NE(cycleRow(results, count - 2), ResultRow{7});
    }
}

TEST(TestSequence, ClockRateAbove4295MHzShowsTheFullValue) {
    SequenceRun run;
    run.system.timeStampStep = 5'123'456'789;
    run.start(false, false);
    EXPECT_EQ(run.list.lines.at(1), "Тактовая частота: 5123MHz");
    EXPECT_EQ(run.list.clockRates, std::vector<std::uint64_t>{5123});
}

TEST(TestSequence, ClockLineCountsTheSleepsRealLength) {
    SequenceRun run;
    run.system.timeStampStep = 2'620'800'000;
    run.system.sleptNanoseconds = 1'008'000'000;
    run.start(false, false);
    EXPECT_EQ(run.list.lines.at(1), "Тактовая частота: 2600MHz");
}

TEST(TestSequence, SecondRunClearsTheListFirst) {
    SequenceRun run;
    run.start(false, false);
    run.start(false, false);
    EXPECT_EQ(run.list.lines, expectedRunLines(kFakeTests, false, 3));
}

TEST(TestSequence, PauseIsDecidedAnewAtEachPause) {
    FakeRunList list;
    list.flipsPauseBox = true;
    FakeSequencePlatform system;
    RunResult result;
    runTestSequence({false, true}, kFakeTests, list, system, result);
    EXPECT_EQ(list.optionsAsked, std::vector<bool>(kTestCount - 1, true));
    EXPECT_EQ(std::count(list.lines.begin(), list.lines.end(), "Простой 5 сек."), 5);
    EXPECT_EQ(system.count("sleep 5000"), 5);  // after tests 0, 2, 4, 6 and 8
}

TEST(TestSequence, StopEndsTheRunAtItsNextStep) {
    struct Case {
        const char* stopAfter;
        int linesListed;
        bool clockMeasured;
        int pausesMade;  // the window's box pauses after tests 0, 2, 4, ...
    };
    for (const Case& stop :
         {Case{"Опеределение частоты процессора...", 1, false, 0},
          Case{"test 2", 2 + 4 + 3 + 1, true, 1}, Case{"Простой 5 сек.", 2 + 3 + 1, true, 0}}) {
        FakeRunList list;
        list.flipsPauseBox = true;
        list.stopAfter = stop.stopAfter;
        FakeSequencePlatform system;
        RunResult result;
        failingKernelCalls = 0;
        runTestSequence({true, true}, kFakeTests, list, system, result);
        EXPECT_EQ(list.lines.size(), static_cast<std::size_t>(stop.linesListed)) << stop.stopAfter;
        EXPECT_EQ(list.lines.back(), stop.stopAfter);
        EXPECT_EQ(system.count("sleep 1000"), stop.clockMeasured ? 1 : 0);
        EXPECT_EQ(system.count("sleep 5000"), stop.pausesMade);
        EXPECT_EQ(system.calls.back(), "restore");
        EXPECT_EQ(system.current.niceValue, 0);
    }
}

TEST(TestSequence, InRoundsARoundLineEachAndNinePausesThenEveryTestsLinesInOrder) {
    for (const bool pause : {true, false}) {
        FakeRunList list;
        FakeSequencePlatform system;
        RunResult result;
        failingKernelCalls = 0;
        SequenceOptions options{false, pause, false, TestOrder::Rounds, 3};
        runTestSequence(options, kFakeTests, list, system, result);

        std::vector<std::string> expected = expectedRunLines(kFakeTests, false, 3);
        std::vector<std::string> rounds = {roundsOrderLine(3)};
        for (int round = 1; round <= kRunsPerTest; ++round) {
            rounds.push_back(roundLine(round));
            if (pause && round < kRunsPerTest) rounds.push_back("Простой 5 сек.");
        }
        expected.insert(expected.begin() + 2, rounds.begin(), rounds.end());
        EXPECT_EQ(list.lines, expected) << "pause " << pause;
        EXPECT_EQ(system.count("sleep 5000"), pause ? kRunsPerTest - 1 : 0);
        // After each of the twenty MMX calls, as after each MMX test in order.
        EXPECT_EQ(system.count("emms"), 2 * kRunsPerTest);
        EXPECT_EQ(result.calls[3].made.size(), static_cast<std::size_t>(kRunsPerTest));
        EXPECT_EQ(result.table[2 * 3][4], 0u) << "the failed fifth call of test 3 keeps its place";
    }
}

TEST(TestSequence, InRoundsAStopEndsTheRunAtTheNextRound) {
    FakeRunList list;
    list.stopAfter = roundLine(3);
    FakeSequencePlatform system;
    RunResult result;
    SequenceOptions options{true, true, false, TestOrder::Rounds, 1};
    runTestSequence(options, kFakeTests, list, system, result);
    EXPECT_EQ(list.lines.back(), roundLine(3));
    EXPECT_EQ(system.count("sleep 5000"), 2);
    EXPECT_EQ(system.calls.back(), "restore");
}

TEST(ClockRate, TicksOverTheRawLengthOfTheSleepInWholeMHz) {
    struct Case {
        const char* what;
        ClockReading before, after;
        std::uint64_t expected;
    };
    constexpr std::uint64_t kHigh = 0xFFFF'FFFF'0000'0000;
    const Case cases[] = {
        {"one second exactly", {0, 0}, {2'394'999'999, 1'000'000'000}, 2394},
        {"a sleep that ran 8 ms long", {0, 7}, {2'620'800'000, 1'008'000'007}, 2600},
        {"a sleep cut short", {0, 0}, {2'580'000'000, 992'000'000}, 2600},
        {"the full 64-bit difference", {kHigh, 0}, {kHigh + 4'300'000'000, 1'000'000'000}, 4300},
        {"a raw clock that stood still", {0, 9}, {2'394'999'999, 9}, 2394},
    };
    for (const Case& c : cases) EXPECT_EQ(clockRateMHz(c.before, c.after), c.expected) << c.what;
}

// The machine's lock as a run takes it: a run of the same user is waited for and refused even
// where another user's may be gone past; another user holding the machine's name or the user's
// own is gone past at once where allowed, otherwise waited for and refused, naming that user.
TEST(MachineLockOfARun, OwnRunsExcludeEachOtherAndAnotherUsersLockIsAdvisoryWhereAllowed) {
    if (!isRoot()) GTEST_SKIP() << "holding a lock as another user needs root";
    const std::string name = "korvex2-run-test-" + std::to_string(::getpid());
    ::setenv("KORVEX2_RUN_LOCK", name.c_str(), 1);
    using State = MachineLockResult::State;
    const struct {
        const char* what;
        std::string held;  // the name another process holds
        uid_t holder;
        bool overrideOthers;
        State state;
    } cases[] = {
        {"own run, override", name, ::geteuid(), true, State::Busy},
        {"own run's user name", platform::userLockName(::geteuid()), ::geteuid(), true,
         State::Busy},
        {"nobody's run, override", name, kNobody, true, State::Overridden},
        {"nobody on our user name, override", platform::userLockName(::geteuid()), kNobody, true,
         State::Overridden},
        {"nobody's run", name, kNobody, false, State::Busy},
    };
    for (const auto& c : cases) {
        const LockSquatter other(c.held, c.holder);
        ASSERT_TRUE(other.bound()) << c.what;
        SystemSequencePlatform system;
        const auto start = std::chrono::steady_clock::now();
        const MachineLockResult result = system.lockMachine(c.overrideOthers);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(result.state, c.state) << c.what;
        EXPECT_EQ(result.holder.user, c.holder) << c.what;
        EXPECT_EQ(waited >= std::chrono::milliseconds(kMachineLockWaitMilliseconds),
                  c.state == State::Busy)
            << c.what;
    }
    std::filesystem::remove(platform::rootLockFile());
    ::unsetenv("KORVEX2_RUN_LOCK");
}

// Root goes past other users' names, yet two of root's runs never overlap: another user binding
// both of root's names makes the second run wait and refuse, naming root, until the first ends.
TEST(MachineLockOfARun, RootsRunsExcludeEachOtherWhereAnotherUserHoldsBothNames) {
    if (!isRoot()) GTEST_SKIP() << "holding a lock as another user needs root";
    const std::string name = "korvex2-run-test-roots-" + std::to_string(::getpid());
    ::setenv("KORVEX2_RUN_LOCK", name.c_str(), 1);
    using State = MachineLockResult::State;
    const LockSquatter machine(name, kNobody), own(platform::userLockName(0), kNobody);
    ASSERT_TRUE(machine.bound() && own.bound());
    SystemSequencePlatform first, second;
    EXPECT_EQ(first.lockMachine(true).state, State::Overridden);
    const auto start = std::chrono::steady_clock::now();
    const MachineLockResult result = second.lockMachine(true);
    EXPECT_EQ(result.state, State::Busy);
    EXPECT_EQ(result.holder.user, 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(kMachineLockWaitMilliseconds));
    first.releaseMachine();
    const MachineLockResult after = second.lockMachine(true);
    EXPECT_EQ(after.state, State::Overridden);
    EXPECT_EQ(after.holder.user, kNobody);
    std::filesystem::remove(platform::rootLockFile());
    ::unsetenv("KORVEX2_RUN_LOCK");
}

}  // namespace
