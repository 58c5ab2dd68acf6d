// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/sequenceUnit.h"

#include <algorithm>

#include "engine/harnessUnit.h"
#include "engine/roundsUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/processorCounters.h"
#include "platform/systemClock.h"

namespace {

constexpr std::uint32_t kSettleMilliseconds = 10;
constexpr std::uint32_t kClockMeasurementMilliseconds = 1000;
constexpr std::uint32_t kPauseMilliseconds = 5000;

// Processes the window's messages between two steps; false once the run is to end early.
bool carryOn(SequenceList& list) {
    list.processPendingMessages();
    return !list.stopRequested();
}

// The clock-rate lines; false when the run was stopped on the way.
bool measureClockRate(SequenceList& list, SequencePlatform& system) {
    list.appendLine(kClockMeasurementText);
    list.repaintNow();
    if (!carryOn(list)) return false;
    system.sleepMilliseconds(kSettleMilliseconds);
    const ClockReading before = system.readClocks();
    system.sleepMilliseconds(kClockMeasurementMilliseconds);
    const ClockReading after = system.readClocks();
    const std::uint64_t megahertz = clockRateMHz(before, after);
    list.noteClockRate(megahertz);
    list.appendLine(kClockRateText + std::to_string(megahertz) + "MHz");
    return carryOn(list);
}

// One test's calls: the ten consecutive ones of TimeKernel, or, given `calls`, those of
// timeTestCalls.
void timeTest(const TestEntry& entry, const SequenceOptions& options, ResultRow& cycles,
              ResultRow& milliseconds, RunFlags& flags, TestCalls* calls) {
    if (calls == nullptr) {
        TimeKernel(entry.kernel, cycles, milliseconds, &TestBuffer1, &TestBuffer2, &TestBuffer3,
                   flags);
        return;
    }
    ProcessorClock clock;
    timeTestCalls(clock, entry.kernel, &TestBuffer1, &TestBuffer2, &TestBuffer3,
                  options.replaceDisturbedCalls, *calls);
    storeCalls(*calls, cycles, milliseconds, flags);
}

// The pause after a test or a round, when the list wants one; false when the run was stopped.
bool pauseWhenAsked(const SequenceOptions& options, SequenceList& list, SequencePlatform& system) {
    if (!list.pauseNow(options.pauseAfterEachTest)) return true;
    list.appendLine(kPauseText);
    if (!carryOn(list)) return false;
    list.waitOutPause(kPauseMilliseconds, system);
    return true;
}

// A test's figure lines (or that this processor cannot run it); false when the run was stopped.
bool listFigures(const TestEntry& entry, std::size_t test, SequenceList& list,
                 std::span<const ResultRow> benchResults, const RunFlags& flags) {
    const int row = static_cast<int>(test);
    const std::vector<std::string> lines =
        entry.runsHere() ? testSummaryLines(cycleRow(benchResults, row),
                                            millisecondRow(benchResults, row), flags)
                         : std::vector<std::string>{kTestNotSupportedText};
    for (const std::string& line : lines) list.appendLine(line);
    return carryOn(list);
}

// Each test's label, its ten timed runs, its lines and the pause after it; false when the run
// was stopped before the last test.
bool timeEveryTest(const SequenceOptions& options, TestTable tests, SequenceList& list,
                   SequencePlatform& system, std::span<ResultRow> benchResults, RunCalls* calls) {
    RunFlags flags{};
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const TestEntry& entry = tests[test];
        const int row = static_cast<int>(test);
        list.appendLine(entry.label);
        if (!carryOn(list)) return false;
        if (entry.runsHere()) {
            timeTest(entry, options, cycleRow(benchResults, row), millisecondRow(benchResults, row),
                     flags, calls != nullptr ? &(*calls)[test] : nullptr);
            if (entry.resetsMultimediaState) system.resetMultimediaState();
        }
        if (!listFigures(entry, test, list, benchResults, flags)) return false;
        const bool isLastTest = test + 1 == tests.size();
        if (!isLastTest && !pauseWhenAsked(options, list, system)) return false;
    }
    return true;
}

// The rounds (timeRounds), each announced by its line, with the pauses after the first ten but
// the last; then every test's label and figures in the table's order. False when the run was
// stopped before its last line.
bool timeEveryRound(const SequenceOptions& options, TestTable tests, SequenceList& list,
                    SequencePlatform& system, std::span<ResultRow> benchResults, RunCalls& calls,
                    RunRounds& rounds) {
    rounds.seed = options.seed.value_or(drawSeed());
    list.appendLine(roundsOrderLine(rounds.seed));
    if (!carryOn(list)) return false;
    RoundSteps steps;
    steps.beforeRound = [&](int round) {
        list.appendLine(roundLine(round));
        return carryOn(list);
    };
    steps.afterCall = [&](const TestEntry& entry) {
        if (entry.resetsMultimediaState) system.resetMultimediaState();
    };
    steps.afterRound = [&](int round) {
        return round >= kRounds || pauseWhenAsked(options, list, system);
    };
    ProcessorClock clock;
    if (!timeRounds(clock, tests, options.replaceDisturbedCalls, calls, rounds, steps))
        return false;
    RunFlags flags{};
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const int row = static_cast<int>(test);
        if (tests[test].runsHere())
            storeCalls(calls[test], cycleRow(benchResults, row), millisecondRow(benchResults, row),
                       flags);
        list.appendLine(tests[test].label);
        if (!listFigures(tests[test], test, list, benchResults, flags)) return false;
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

void SequenceList::waitOutPause(std::uint32_t milliseconds, SequencePlatform& system) {
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

std::vector<std::string> testSummaryLines(const ResultRow& cycles, const ResultRow& milliseconds,
                                          const RunFlags& flags) {
    if (std::any_of(flags.begin(), flags.end(), [](std::int32_t flag) { return flag != 0; }))
        return {kTestFailedText};
    const std::uint32_t bestCycles = *std::min_element(cycles.begin(), cycles.end());
    const std::uint32_t bestMilliseconds =
        *std::min_element(milliseconds.begin(), milliseconds.end());
    return {std::to_string(bestCycles) + kMillionCyclesText,
            std::to_string(bestMilliseconds) + kMillisecondsText};
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

void runTestSequence(const SequenceOptions& options, TestTable tests, SequenceList& list,
                     SequencePlatform& system, std::span<ResultRow> benchResults, RunCalls* calls,
                     RunRounds* rounds) {
    list.clearLines();
    for (std::size_t test = 0; test < tests.size(); ++test)
        if (!tests[test].runsHere()) {
            cycleRow(benchResults, static_cast<int>(test)).fill(0);
            millisecondRow(benchResults, static_cast<int>(test)).fill(0);
        }
    if (calls != nullptr) calls->assign(tests.size(), TestCalls{});
    const PriorityScope priority(system, options.raisePriority);
    if (!measureClockRate(list, system)) return;
    bool finished = false;
    if (options.order == TestOrder::Rounds) {
        RunCalls ownCalls(tests.size());
        RunRounds ownRounds;
        finished = timeEveryRound(options, tests, list, system, benchResults,
                                  calls != nullptr ? *calls : ownCalls,
                                  rounds != nullptr ? *rounds : ownRounds);
    } else {
        finished = timeEveryTest(options, tests, list, system, benchResults, calls);
    }
    if (finished) list.appendLine(kFinishedText);
}
