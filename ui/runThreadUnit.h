#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The main window's test run on a thread of its own. A test's ten timed calls take from under a
// second to several seconds; run on the window thread they would leave the windows deaf for that
// long: keys pressed meanwhile handled late or lost, and assistive technology, which gives up on
// a program that does not answer within a second, declaring the program hung. On its own thread
// the run leaves the window thread free at every moment, and nothing of the windows runs on the
// thread that is being timed.
//
// The run keeps its steps in step with the window: after each step that processes messages it
// waits until the window thread has taken its lines, so each line is on the screen before the
// next kernel starts, and the window's result table is written on the window thread only, while
// the run waits, so the comparison window may read it at any moment.

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "engine/runResultUnit.h"
#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"

class RunThread final : public QObject {
    Q_OBJECT
  public:
    explicit RunThread(QObject* parent = nullptr);
    // Stops a run in progress (see stop) and waits for its thread.
    ~RunThread() override;
    RunThread(const RunThread&) = delete;
    RunThread& operator=(const RunThread&) = delete;

    // Starts one run of runTestSequence with `options` over `tests`, on `system`, filling
    // `results` (on this object's thread, at each step and at the end). `pause` replaces the
    // length of the run's pauses when set. Nothing happens while a run is in progress. `system`,
    // `results` and the tests must outlive the run.
    void start(const SequenceOptions& options, ResultFileTests tests, SequencePlatform& system,
               ResultTable& results, std::optional<std::chrono::milliseconds> pause);
    bool inProgress() const { return thread_.joinable(); }

    // Whether the run pauses at its next pause: the one choice the run leaves open while it goes.
    void setPausing(bool pausing) { pausing_ = pausing; }
    // Asks the run to end at its next step (see RunReporter::stopRequested) and ends a pause at
    // once; returns at once.
    void stop();

  signals:
    // On this object's thread, in the run's order.
    void linesCleared();
    void lineAdded(const QString& line);
    // The lines added so far are in place: the window repaints them now.
    void stepTaken();
    // The run is over, its thread gone; `completed` is false for a run that was stopped.
    void finished(bool completed);

  private:
    class ThreadList;

    void run(SequenceOptions options, ResultFileTests tests, SequencePlatform& system);
    // On the run's thread: waits until this object's thread has taken the step (or a stop).
    void awaitStep();
    // On this object's thread.
    void takeStep();
    void end(bool completed);

    std::thread thread_;
    ResultTable* results_ = nullptr;
    // The run's own result: written by the run's thread between steps, its table copied into
    // *results_ by this object's thread while the run waits at a step.
    RunResult runResults_;
    std::optional<std::chrono::milliseconds> pause_;
    std::atomic<bool> pausing_{true};

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;     // under mutex_
    bool stepPending_ = false;  // under mutex_
};
