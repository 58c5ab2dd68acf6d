#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The test sequence: one complete test run, shared by the main window and the console runner.
//
// It raises the priorities when asked, measures the clock rate over one second of sleep, times
// every test of the table through the harness into one run result, summarises each test by the
// one rule (summariseCalls), pauses 5 s after each test but the last when asked, and restores the
// priorities, telling each step to its reporter. Showing the comparison afterwards is the
// caller's step. The reporter and the platform are interfaces so that tests can replace them
// with fakes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/disturbedCallsUnit.h"
#include "kernel/testKernel.h"
#include "platform/machineLock.h"
#include "platform/priority.h"
#include "record/resultTableUnit.h"

class SequencePlatform;
struct RunResult;
struct TestEntry;

// The side of the run a person watches, told what the run does as it does it: the main window's
// list box or standard output turn the events into their lines (engine/runLinesUnit.h). It also
// keeps the window alive between steps and has the window's say in pauses and in ending the run
// early.
class RunReporter {
  public:
    virtual ~RunReporter() = default;

    // The run's events, in the order the run makes them.
    virtual void runStarted(std::span<const TestEntry> tests) = 0;
    virtual void clockMeasuring() = 0;
    virtual void clockMeasured(std::uint64_t megahertz) = 0;  // in whole MHz
    virtual void roundsOrdered(std::uint64_t seed) = 0;       // in rounds, after the clock rate
    virtual void roundStarted(int round) = 0;                 // from 1, see roundLine
    virtual void testStarted(int test) = 0;                   // from 0, as the table counts
    // The test's ten calls are stored; `summary` is the run result's (RunResult::summaries),
    // without figures or failed calls for a test this processor cannot run.
    virtual void testFinished(int test, const TestSummary& summary) = 0;
    virtual void pauseStarted() = 0;
    virtual void runFinished() = 0;  // only a run that went to its end

    virtual void repaintNow() = 0;
    virtual void processPendingMessages() = 0;
    // Asked at each pause, after the test's lines: whether to pause now. `option` is the run's
    // option as it was at the start, which stands unless the list knows better; the main window
    // answers from its check box, so a box changed during a run counts from the next pause on.
    virtual bool pauseNow(bool option) { return option; }
    // Waits out one pause. Standard output has nothing to keep alive and sleeps; the main window
    // waits in an event loop instead, so it stays painted and responsive.
    virtual void waitOutPause(std::uint32_t milliseconds, SequencePlatform& system);
    // True once the run is to end early (its window was closed). Asked after every step that
    // processes messages, never while a kernel is timed: the run then times no further kernel,
    // makes no further pause, skips its closing event and restores the priorities.
    virtual bool stopRequested() { return false; }
};

// The time-stamp counter and CLOCK_MONOTONIC_RAW (nanoseconds), read one right after the other.
struct ClockReading {
    std::uint64_t timeStamp = 0;
    std::uint64_t rawNanoseconds = 0;
};

// What taking the machine's lock came to.
struct MachineLockResult {
    enum class State {
        Taken,       // held (or the system offers no lock): the run may start
        Busy,        // another run holds it past the wait: the run does not start
        Overridden,  // another user's run holds it, and this one goes on all the same
    };
    State state = State::Taken;
    platform::LockHolder holder;  // Busy, Overridden: who holds it
};

// The operating-system and processor services the run uses besides the harness.
class SequencePlatform {
  public:
    virtual ~SequencePlatform() = default;
    virtual void sleepMilliseconds(std::uint32_t milliseconds) = 0;
    virtual platform::PriorityState savePriority() = 0;
    virtual void raisePriority() = 0;
    virtual void restorePriority(const platform::PriorityState& saved) = 0;
    virtual ClockReading readClocks() = 0;
    // EMMS then CPUID leaf 0 under a guard of its own that swallows any exception.
    virtual void resetMultimediaState() = 0;
    // Takes the machine's lock for a run (platform::MachineLock): the machine's name, which
    // keeps every user's runs apart, and the user's own (platform::userLockName), which keeps the
    // user's runs apart whatever another user does with the machine's; root's runs first take
    // platform::rootLockFile, which keeps them apart whatever other users bind. A lock held by a
    // run of the same user is waited for up to kMachineLockWaitMilliseconds, then Busy. One held by
    // another user (or one the system cannot name) is Overridden at once where
    // `overrideOthers` (root, --ignore-lock), otherwise waited for and Busy. What is taken is
    // held until releaseMachine, or the end of the platform object or the process; nothing is
    // held after Busy.
    virtual MachineLockResult lockMachine(bool overrideOthers) = 0;
    virtual void releaseMachine() = 0;
};

inline constexpr std::uint32_t kMachineLockWaitMilliseconds = 5000;

// Who holds the lock, for the console's messages ("user bob, process 4242"; "process unknown"
// where it does not listen, "user unknown" where the system does not tell) and in Russian for the
// quality report and the windows ("пользователь bob, процесс 4242").
std::string lockHolderText(const platform::LockHolder& holder);
std::string lockHolderTextRussian(const platform::LockHolder& holder);

// The real services.
class SystemSequencePlatform final : public SequencePlatform {
  public:
    void sleepMilliseconds(std::uint32_t milliseconds) override;
    platform::PriorityState savePriority() override;
    void raisePriority() override;
    void restorePriority(const platform::PriorityState& saved) override;
    ClockReading readClocks() override;
    void resetMultimediaState() override;
    MachineLockResult lockMachine(bool overrideOthers) override;
    void releaseMachine() override;

    // False once a raise was refused any of the settings it chose.
    bool raiseGranted() const { return raiseGranted_; }

  private:
    bool raiseGranted_ = true;
    platform::MachineLock machineLock_;
    platform::MachineLock userLock_;
    platform::MachineLock rootLock_;  // root's runs alone (platform::rootLockFile)
};

// The order of a run's calls. In order, each test makes its calls one after another, test after
// test (the windows' order). In rounds, each round calls every test once, in an order of its own
// (engine/roundsUnit.h), so that a slow phase of the host falls on all tests alike.
enum class TestOrder { InOrder, Rounds };

struct SequenceOptions {
    bool raisePriority = true;  // "Повышенный приоритет"
    bool pauseAfterEachTest = true;  // "Приостанавливаться после каждого теста"; see pauseNow
    // Where the run keeps each test's calls (see runTestSequence): whether disturbed calls are
    // replaced by further ones.
    bool replaceDisturbedCalls = true;
    TestOrder order = TestOrder::InOrder;
    // The seed of the rounds' order; none draws one.
    std::optional<std::uint64_t> seed{};
    // Whether each test keeps its calls with their disturbance (timeTestCalls, the console's
    // way), replacing disturbed ones as replaceDisturbedCalls says; else each test makes ten
    // consecutive calls (TimeKernel, the windows' way). A run in rounds always keeps them.
    bool keepCalls = false;
};

// One test, described once: everything the run, the console, JSON, CSV and the comparison
// window know of it (engine/testTableUnit holds the program's).
struct TestEntry {
    TestKernel kernel;
    const char* kernelName;  // the kernel's symbol, as tools name it (kernelOnce, callgrind)
    const char* id;          // for scripts (JSON, CSV): English, fixed for good
    const char* label;       // the line written before the test, UTF-8
    const char* caption;     // the comparison window's caption while the test is chosen, UTF-8
    // Its tool button's picture, a file of assets/toolbar; none for a test after a result
    // file's ten, which the windows do not show.
    const char* icon;
    bool resetsMultimediaState;  // the MMX tests: EMMS + CPUID after their ten runs
    // A decode works on the code the encode of its width left in the buffers: run in rounds, it
    // is called right after the test before it, never apart from it.
    bool decodesTheTestBefore;
    // Whether this processor can run the kernel (it needs an instruction set not every x86-64
    // processor has); none where every one can. A test it cannot run makes no call.
    bool (*supported)() = nullptr;

    bool runsHere() const { return supported == nullptr || supported(); }
};

// The tests of one run, test k filling row pair k of the run's table: the console runs every
// test of the program's table, the windows the result file's (ResultFileTests), whose table is a
// record's.
using TestTable = std::span<const TestEntry>;
using ResultFileTests = std::span<const TestEntry, kTestCount>;

// The run's fixed texts.
inline constexpr const char* kClockMeasurementText = "Опеределение частоты процессора...";
inline constexpr const char* kClockRateText = "Тактовая частота: ";
inline constexpr const char* kPauseText = "Простой 5 сек.";
inline constexpr const char* kFinishedText = "Завершено...";

// The time-stamp counter's rate in whole MHz across a sleep: its ticks over the nanoseconds
// CLOCK_MONOTONIC_RAW counted across the same sleep, so a sleep that ran long (a loaded
// machine) does not inflate it. Over the nominal second when the raw clock did not advance.
std::uint64_t clockRateMHz(const ClockReading& before, const ClockReading& after);

// The run's texts in rounds: the order's line after the clock rate, one line at the start of
// each round, and the pause line after each of the first ten rounds but the last.
std::string roundsOrderLine(std::uint64_t seed);
std::string roundLine(int round);  // from 1; beyond the tenth an extra round

// One complete run over `tests` into `result` (engine/runResultUnit.h; test k fills rows 2k and
// 2k+1 of its table; a test this processor cannot run makes no call, keeps zero rows and an
// empty summary, and RunLines says kTestNotSupportedText for it), steps 1 to the restoring of the
// priorities, told to `reporter` as it goes. Every test gets the references to TestBuffer1,
// TestBuffer2 and TestBuffer3, in this order. A run the reporter stops ends early (see
// RunReporter::stopRequested). The priorities are restored on every way out of the run, an early
// stop or an exception included. Where options.keepCalls, each test's calls are kept in the result
// with their disturbance, and disturbed ones are replaced as options.replaceDisturbedCalls says
// (timeTestCalls); else each test makes its ten consecutive calls (TimeKernel). In rounds
// (options.order), the calls are always kept, the rounds' events replace the tests' starts while
// they run, every test's start and finish follow the last round in the table's order, and the
// result's rounds receive the seed and each round's host factor (timeRounds).
void runTestSequence(const SequenceOptions& options, TestTable tests, RunReporter& reporter,
                     SequencePlatform& system, RunResult& result);
