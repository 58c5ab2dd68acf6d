// Layer korvex_ui: the windows; includes Qt and every layer.

#include "ui/runThreadUnit.h"

#include <QMetaObject>

#include "engine/runLinesUnit.h"
#include "platform/fpuEnvironment.h"

// The run's side of the window: lines and steps go to the window's thread in order, pauses and
// stops are waited for here.
class RunThread::ThreadList final : public RunLines {
  public:
    explicit ThreadList(RunThread& owner) : owner_(owner) {}
    // The window paints at the step that follows.
    void repaintNow() override {}
    void processPendingMessages() override { owner_.awaitStep(); }
    bool pauseNow(bool) override { return owner_.pausing_; }
    void waitOutPause(std::uint32_t milliseconds, SequencePlatform&) override {
        std::unique_lock lock(owner_.mutex_);
        owner_.wake_.wait_for(lock, owner_.pause_.value_or(std::chrono::milliseconds(milliseconds)),
                              [this] { return owner_.stopping_; });
    }
    bool stopRequested() override {
        const std::lock_guard lock(owner_.mutex_);
        return owner_.stopping_;
    }

  private:
    void clearLines() override {
        post([&owner = owner_] { emit owner.linesCleared(); });
    }
    void appendLine(const std::string& line) override {
        post(
            [&owner = owner_, text = QString::fromStdString(line)] { emit owner.lineAdded(text); });
    }

    template <class Action>
    void post(Action action) {
        QMetaObject::invokeMethod(&owner_, std::move(action), Qt::QueuedConnection);
    }

    RunThread& owner_;
};

RunThread::RunThread(QObject* parent) : QObject(parent) {}

RunThread::~RunThread() {
    stop();
    if (thread_.joinable()) thread_.join();
}

void RunThread::start(const SequenceOptions& options, ResultFileTests tests,
                      SequencePlatform& system, ResultTable& results,
                      std::optional<std::chrono::milliseconds> pause) {
    if (inProgress()) return;
    results_ = &results;
    runResults_.table.assign(results.begin(), results.end());
    pause_ = pause;
    stopping_ = false;
    stepPending_ = false;
    thread_ = std::thread(&RunThread::run, this, options, tests, std::ref(system));
}

void RunThread::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
}

void RunThread::run(SequenceOptions options, ResultFileTests tests, SequencePlatform& system) {
    // The kernels run under the program's floating-point environment on every thread.
    platform::setProgramFpuEnvironment();
    ThreadList list(*this);
    runTestSequence(options, tests, list, system, runResults_);
    const bool completed = !list.stopRequested();
    QMetaObject::invokeMethod(
        this, [this, completed] { end(completed); }, Qt::QueuedConnection);
}

void RunThread::awaitStep() {
    std::unique_lock lock(mutex_);
    stepPending_ = true;
    QMetaObject::invokeMethod(this, &RunThread::takeStep, Qt::QueuedConnection);
    wake_.wait(lock, [this] { return !stepPending_ || stopping_; });
}

void RunThread::takeStep() {
    {
        const std::lock_guard lock(mutex_);
        *results_ = recordTable(runResults_.table);
        stepPending_ = false;
    }
    wake_.notify_all();
    emit stepTaken();
}

void RunThread::end(bool completed) {
    thread_.join();
    *results_ = recordTable(runResults_.table);
    emit finished(completed);
}
