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
    const std::uint64_t before = system.readTimeStampCounter();
    system.sleepMilliseconds(kClockMeasurementMilliseconds);
    const std::uint64_t after = system.readTimeStampCounter();
    const std::uint64_t megahertz = clockRateMHz(before, after);
    list.noteClockRate(megahertz);
    list.appendLine(kClockRateText + std::to_string(megahertz) + "MHz");
    return carryOn(list);
}

// Each test's label, its ten timed runs, its lines and the pause after it; false when the run
// was stopped before the last test.
bool timeEveryTest(const SequenceOptions& options, TestTable tests, SequenceList& list,
                   SequencePlatform& system, ResultTable& benchResults) {
    RunFlags flags{};
    for (std::size_t test = 0; test < tests.size(); ++test) {
        const TestEntry& entry = tests[test];
        const int row = static_cast<int>(test);
        list.appendLine(entry.label);
        if (!carryOn(list)) return false;
        TimeKernel(entry.kernel, cycleRow(benchResults, row), millisecondRow(benchResults, row),
                   &TestBuffer1, &TestBuffer2, &TestBuffer3, flags);
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

std::uint64_t SystemSequencePlatform::readTimeStampCounter() {
    return platform::readTimeStampCounter();
}

void SystemSequencePlatform::resetMultimediaState() {
    // A fault of the reset is swallowed: the guard's recovery leaves the units clean anyway.
    static_cast<void>(platform::runGuarded([] { platform::resetMultimediaState(); }));
}

std::uint64_t clockRateMHz(std::uint64_t before, std::uint64_t after) {
    return (after - before) / 1000000u;
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
                     SequencePlatform& system, ResultTable& benchResults) {
    list.clearLines();
    const PriorityScope priority(system, options.raisePriority);

    if (measureClockRate(list, system) && timeEveryTest(options, tests, list, system, benchResults))
        list.appendLine(kFinishedText);
}
