// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/sequenceUnit.h"

#include <algorithm>

#include "platform/exceptionGuard.h"
#include "platform/processorCounters.h"
#include "platform/systemClock.h"
#include "testrun/harnessUnit.h"
#include "testrun/workAreaUnit.h"

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

// Each test's label, its ten timed runs, its lines and the pause after it; false when the run
// was stopped before the last test.
bool timeEveryTest(const SequenceOptions& options, TestTable tests, SequenceList& list,
                   SequencePlatform& system, ResultTable& benchResults, RunCalls* calls) {
    RunFlags flags{};
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const TestEntry& entry = tests[test];
        const int row = static_cast<int>(test);
        list.appendLine(entry.label);
        if (!carryOn(list)) return false;
        timeTest(entry, options, cycleRow(benchResults, row), millisecondRow(benchResults, row),
                 flags, calls != nullptr ? &(*calls)[test] : nullptr);
        if (entry.resetsMultimediaState) system.resetMultimediaState();
        for (const std::string& line : testSummaryLines(cycleRow(benchResults, row),
                                                        millisecondRow(benchResults, row), flags))
            list.appendLine(line);
        if (!carryOn(list)) return false;
        const bool isLastTest = test + 1 == tests.size();
        if (!isLastTest && list.pauseNow(options.pauseAfterEachTest)) {
            list.appendLine(kPauseText);
            if (!carryOn(list)) return false;
            list.waitOutPause(kPauseMilliseconds, system);
        }
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
        for (std::size_t lock = 0; lock < std::size(locks); ++lock) {
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

void runTestSequence(const SequenceOptions& options, TestTable tests, SequenceList& list,
                     SequencePlatform& system, ResultTable& benchResults, RunCalls* calls) {
    list.clearLines();
    const PriorityScope priority(system, options.raisePriority);

    if (measureClockRate(list, system) &&
        timeEveryTest(options, tests, list, system, benchResults, calls))
        list.appendLine(kFinishedText);
}
