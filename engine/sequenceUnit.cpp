// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/sequenceUnit.h"

#include "engine/harnessUnit.h"
#include "engine/roundsUnit.h"
#include "engine/runResultUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/processorCounters.h"
#include "platform/systemClock.h"

namespace {

constexpr std::uint32_t kSettleMilliseconds = 10;
constexpr std::uint32_t kClockMeasurementMilliseconds = 1000;
constexpr std::uint32_t kPauseMilliseconds = 5000;

// Processes the window's messages between two steps; false once the run is to end early.
bool carryOn(RunReporter& reporter) {
    reporter.processPendingMessages();
    return !reporter.stopRequested();
}

// The clock rate, into the result; false when the run was stopped on the way.
bool measureClockRate(RunReporter& reporter, SequencePlatform& system, RunResult& result) {
    reporter.clockMeasuring();
    reporter.repaintNow();
    if (!carryOn(reporter)) return false;
    system.sleepMilliseconds(kSettleMilliseconds);
    const ClockReading before = system.readClocks();
    system.sleepMilliseconds(kClockMeasurementMilliseconds);
    const ClockReading after = system.readClocks();
    result.clockMHz = clockRateMHz(before, after);
    reporter.clockMeasured(*result.clockMHz);
    return carryOn(reporter);
}

// The runs 0 to 9 whose flag says they failed.
std::vector<int> flaggedRuns(const RunFlags& flags) {
    std::vector<int> failed;
    for (int run = 0; run < kRunsPerTest; ++run)
        if (flags[static_cast<std::size_t>(run)] != 0) failed.push_back(run);
    return failed;
}

// One test's calls: the ten consecutive ones of TimeKernel, or, where the run keeps its calls,
// those of timeTestCalls; returns their flags.
RunFlags timeTest(const TestEntry& entry, const SequenceOptions& options, ResultRow& cycles,
                  ResultRow& milliseconds, TestCalls& calls) {
    RunFlags flags{};
    if (!options.keepCalls) {
        TimeKernel(entry.kernel, cycles, milliseconds, &TestBuffer1, &TestBuffer2, &TestBuffer3,
                   flags);
        return flags;
    }
    ProcessorClock clock;
    timeTestCalls(clock, entry.kernel, &TestBuffer1, &TestBuffer2, &TestBuffer3,
                  options.replaceDisturbedCalls, calls);
    storeCalls(calls, cycles, milliseconds, flags);
    return flags;
}

// The pause after a test or a round, when the reporter wants one; false when the run was stopped.
bool pauseWhenAsked(const SequenceOptions& options, RunReporter& reporter,
                    SequencePlatform& system) {
    if (!reporter.pauseNow(options.pauseAfterEachTest)) return true;
    reporter.pauseStarted();
    if (!carryOn(reporter)) return false;
    reporter.waitOutPause(kPauseMilliseconds, system);
    return true;
}

// A test's summary from its stored calls and their flags (none for a test this processor cannot
// run), into the result and to the reporter; false when the run was stopped.
bool finishTest(const TestEntry& entry, std::size_t test, const RunFlags& flags,
                RunReporter& reporter, RunResult& result) {
    const int row = static_cast<int>(test);
    result.summaries.push_back(entry.runsHere() ? summariseCalls(cycleRow(result.table, row),
                                                                 millisecondRow(result.table, row),
                                                                 flaggedRuns(flags))
                                                : TestSummary{});
    reporter.testFinished(row, result.summaries.back());
    return carryOn(reporter);
}

// Each test's start, its ten timed runs, its finish and the pause after it; false when the run
// was stopped before the last test.
bool timeEveryTest(const SequenceOptions& options, TestTable tests, RunReporter& reporter,
                   SequencePlatform& system, RunResult& result) {
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const TestEntry& entry = tests[test];
        const int row = static_cast<int>(test);
        reporter.testStarted(row);
        if (!carryOn(reporter)) return false;
        RunFlags flags{};
        if (entry.runsHere()) {
            flags = timeTest(entry, options, cycleRow(result.table, row),
                             millisecondRow(result.table, row), result.calls[test]);
            if (entry.resetsMultimediaState) system.resetMultimediaState();
        }
        if (!finishTest(tests[test], test, flags, reporter, result)) return false;
        const bool isLastTest = test + 1 == tests.size();
        if (!isLastTest && !pauseWhenAsked(options, reporter, system)) return false;
    }
    return true;
}

// The rounds (timeRounds), each announced, with the pauses after the first ten but the last;
// then every test's start and finish in the table's order. False when the run was stopped before
// its last event.
bool timeEveryRound(const SequenceOptions& options, TestTable tests, RunReporter& reporter,
                    SequencePlatform& system, RunResult& result) {
    result.rounds.seed = options.seed.value_or(drawSeed());
    reporter.roundsOrdered(result.rounds.seed);
    if (!carryOn(reporter)) return false;
    RoundSteps steps;
    steps.beforeRound = [&](int round) {
        reporter.roundStarted(round);
        return carryOn(reporter);
    };
    steps.afterCall = [&](const TestEntry& entry) {
        if (entry.resetsMultimediaState) system.resetMultimediaState();
    };
    steps.afterRound = [&](int round) {
        return round >= kRounds || pauseWhenAsked(options, reporter, system);
    };
    ProcessorClock clock;
    if (!timeRounds(clock, tests, options.replaceDisturbedCalls, result.calls, result.rounds,
                    steps))
        return false;
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const int row = static_cast<int>(test);
        RunFlags flags{};
        if (tests[test].runsHere())
            storeCalls(result.calls[test], cycleRow(result.table, row),
                       millisecondRow(result.table, row), flags);
        reporter.testStarted(row);
        if (!finishTest(tests[test], test, flags, reporter, result)) return false;
    }
    return true;
}

// Saves the priorities on entry, raises them when asked, and restores them on every way out.
class PriorityScope {
  public:
    PriorityScope(SequencePlatform& system, bool raise)
        : system_(system), saved_(system.savePriority()) {
        if (raise) system_.raisePriority();
    }
    ~PriorityScope() { system_.restorePriority(saved_); }
    PriorityScope(const PriorityScope&) = delete;
    PriorityScope& operator=(const PriorityScope&) = delete;

  private:
    SequencePlatform& system_;
    const platform::PriorityState saved_;
};

}  // namespace

void RunReporter::waitOutPause(std::uint32_t milliseconds, SequencePlatform& system) {
    system.sleepMilliseconds(milliseconds);
}

void SystemSequencePlatform::sleepMilliseconds(std::uint32_t milliseconds) {
    platform::sleepMilliseconds(milliseconds);
}

platform::PriorityState SystemSequencePlatform::savePriority() { return platform::savePriority(); }

void SystemSequencePlatform::raisePriority() {
    if (!platform::raisePriority()) raiseGranted_ = false;
}

void SystemSequencePlatform::restorePriority(const platform::PriorityState& saved) {
    platform::restorePriority(saved);
}

ClockReading SystemSequencePlatform::readClocks() {
    ClockReading reading;
    reading.timeStamp = platform::readTimeStampCounter();
    reading.rawNanoseconds = platform::rawMonotonicNanoseconds();
    return reading;
}

void SystemSequencePlatform::resetMultimediaState() {
    // A fault of the reset is swallowed: the guard's recovery leaves the units clean anyway.
    static_cast<void>(platform::runGuarded([] { platform::resetMultimediaState(); }));
}

MachineLockResult SystemSequencePlatform::lockMachine(bool overrideOthers) {
    constexpr std::uint32_t kRetryMilliseconds = 100;
    const unsigned user = platform::currentUser();
    const std::string names[] = {platform::userLockName(user), platform::machineLockName()};
    platform::MachineLock* const locks[] = {&userLock_, &machineLock_};
    const std::uint32_t start = platform::tickCount();
    for (;;) {
        std::optional<platform::LockHolder> other;  // the user's own run first
        bool ownRun = false;
        // Root's runs take their own lock first, which no other user can hold: those that went
        // past other users' names still exclude each other, and only its holder takes the names.
        bool otherRootRun = false;
        if (user == 0 && !rootLock_.held()) {
            rootLock_ = platform::MachineLock::tryTakeFile(platform::rootLockFile(), otherRootRun);
            if (otherRootRun) {
                other = platform::MachineLock::holder(names[1]);
                if (other->user != user) other = platform::LockHolder{user, 0};
                ownRun = true;
            }
        }
        for (std::size_t lock = 0; lock < std::size(locks) && !otherRootRun; ++lock) {
            if (locks[lock]->held()) continue;
            bool busy = false;
            *locks[lock] = platform::MachineLock::tryTake(names[lock], busy);
            if (!busy) continue;
            const platform::LockHolder holder = platform::MachineLock::holder(names[lock]);
            if (!ownRun && (!other || holder.user == user)) other = holder;
            ownRun = ownRun || holder.user == user;
        }
        if (!other) return {};
        if (!ownRun && overrideOthers) return {MachineLockResult::State::Overridden, *other};
        if (platform::tickCount() - start >= kMachineLockWaitMilliseconds) {
            releaseMachine();
            return {MachineLockResult::State::Busy, *other};
        }
        platform::sleepMilliseconds(kRetryMilliseconds);
    }
}

void SystemSequencePlatform::releaseMachine() {
    machineLock_ = platform::MachineLock();
    userLock_ = platform::MachineLock();
    rootLock_ = platform::MachineLock();
}

std::string lockHolderText(const platform::LockHolder& holder) {
    return "user " + (holder.user ? platform::userName(*holder.user) : std::string("unknown")) +
           ", process " +
           (holder.process > 0 ? std::to_string(holder.process) : std::string("unknown"));
}

std::string lockHolderTextRussian(const platform::LockHolder& holder) {
    return "пользователь " +
           (holder.user ? platform::userName(*holder.user) : std::string("неизвестен")) +
           ", процесс " +
           (holder.process > 0 ? std::to_string(holder.process) : std::string("неизвестен"));
}

std::uint64_t clockRateMHz(const ClockReading& before, const ClockReading& after) {
    const std::uint64_t ticks = after.timeStamp - before.timeStamp;
    if (after.rawNanoseconds <= before.rawNanoseconds) return ticks / 1000000u;
    const std::uint64_t nanoseconds = after.rawNanoseconds - before.rawNanoseconds;
    return static_cast<std::uint64_t>(static_cast<double>(ticks) * 1000.0 /
                                      static_cast<double>(nanoseconds));
}

std::string roundsOrderLine(std::uint64_t seed) {
    return "Тесты идут кругами, по вызову каждого теста за круг, в случайном порядке; зерно " +
           std::to_string(seed) + " (--seed " + std::to_string(seed) + " повторит порядок)";
}

std::string roundLine(int round) {
    if (round > kRounds)
        return "Дополнительный круг " + std::to_string(round) + " (взамен медленного)...";
    return "Круг " + std::to_string(round) + " из " + std::to_string(kRounds) + "...";
}

void runTestSequence(const SequenceOptions& options, TestTable tests, RunReporter& reporter,
                     SequencePlatform& system, RunResult& result) {
    result.clockMHz.reset();
    // The rows a run stops before keep what they held: the window's record keeps its last run's.
    result.table.resize(2 * tests.size());
    for (std::size_t test = 0; test < tests.size(); ++test)
        if (!tests[test].runsHere()) {
            cycleRow(result.table, static_cast<int>(test)).fill(0);
            millisecondRow(result.table, static_cast<int>(test)).fill(0);
        }
    result.summaries.clear();
    result.calls.assign(tests.size(), TestCalls{});
    result.rounds = {};
    reporter.runStarted(tests);
    const PriorityScope priority(system, options.raisePriority);
    if (!measureClockRate(reporter, system, result)) return;
    const bool finished = options.order == TestOrder::Rounds
                              ? timeEveryRound(options, tests, reporter, system, result)
                              : timeEveryTest(options, tests, reporter, system, result);
    if (finished) reporter.runFinished();
}
