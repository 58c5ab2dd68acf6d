#include "platform/workerProcesses.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

using platform::WorkerCall;
using platform::WorkerFailureKind;

// A counter every worker shares: mapped MAP_SHARED before the fork.
class SharedCounter {
  public:
    SharedCounter()
        : value_(static_cast<std::atomic<std::uint32_t>*>(
              ::mmap(nullptr, sizeof(*value_), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                     -1, 0))) {}
    ~SharedCounter() { ::munmap(value_, sizeof(*value_)); }
    std::uint32_t next() { return value_->fetch_add(1); }

  private:
    std::atomic<std::uint32_t>* value_;
};

// True when the calling process has no child left, not even a zombie.
bool noChildLeft() { return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

// Each call takes the shared counter's next value: with the barrier, every call of round r comes
// after every call of round r - 1, so round r's values are r × workers to r × workers + workers
// - 1. Four rounds are planned, and two more asked for one at a time.
TEST(WorkerProcesses, EveryRoundStartsOnlyOnceEveryWorkerEndedTheLast) {
    SharedCounter counter;
    std::vector<int> processors = platform::usableProcessors();
    processors.resize(3, processors.front());
    const platform::WorkerOutcome outcome = platform::runWorkers(
        {processors, 4, std::chrono::seconds(60),
         [](const std::vector<std::vector<WorkerCall>>& made) { return made[2].size() < 6; }},
        [] {},
        [&counter](int) {
            return WorkerCall{counter.next(), 0, false};
        });
    ASSERT_EQ(outcome.failure.kind, WorkerFailureKind::None);
    ASSERT_EQ(outcome.calls.size(), 3u);
    for (const std::vector<WorkerCall>& worker : outcome.calls) {
        ASSERT_EQ(worker.size(), 6u);
        for (std::uint32_t round = 0; round < 6; ++round)
            EXPECT_EQ(worker[round].cycles / 3, round) << "value " << worker[round].cycles;
    }
    EXPECT_TRUE(noChildLeft());
}

// Whatever ends a worker early, the outcome names it and which worker it was, and no process is
// left behind.
TEST(WorkerProcesses, AWorkerThatDiesExitsHangsOrCannotBePinnedEndsTheRoundWithItsReason) {
    const int processor = platform::usableProcessors().front();
    const struct Case {
        const char* what;
        std::vector<int> processors;
        void (*misbehave)();  // what worker 1 does at its third call
        WorkerFailureKind kind;
        int worker;
        int detail;
    } cases[] = {
        {"killed",
         {processor, processor},
         [] { ::raise(SIGKILL); },
         WorkerFailureKind::KilledBySignal,
         1,
         SIGKILL},
        {"exited",
         {processor, processor},
         [] { ::_exit(7); },
         WorkerFailureKind::ExitedEarly,
         1,
         7},
        {"hung", {processor, processor}, [] { ::pause(); }, WorkerFailureKind::NoAnswer, 1, 0},
        {"unpinnable",
         {processor, CPU_SETSIZE - 1},
         [] {},
         WorkerFailureKind::PinningRefused,
         1,
         EINVAL},
    };
    for (const Case& c : cases) {
        // Each worker counts its own calls: its copy of `made` is its own after the fork.
        int made = 0;
        const auto misbehave = c.misbehave;
        const platform::WorkerOutcome outcome = platform::runWorkers(
            {c.processors, 10, std::chrono::seconds(2)}, [] {},
            [&made, misbehave](int worker) {
                if (worker == 1 && ++made == 3) misbehave();
                return WorkerCall{};
            });
        EXPECT_EQ(outcome.failure.kind, c.kind) << c.what;
        EXPECT_EQ(outcome.failure.worker, c.worker) << c.what;
        EXPECT_EQ(outcome.failure.processor, c.processors[1]) << c.what;
        EXPECT_EQ(outcome.failure.detail, c.detail) << c.what;
        EXPECT_TRUE(noChildLeft()) << c.what;
    }
}

TEST(WorkerProcesses, WorkersPrepareOnceOnTheirOwnProcessorAndReportEachCall) {
    const std::vector<int> processors = platform::usableProcessors();
    SharedCounter prepared;
    const platform::WorkerOutcome outcome = platform::runWorkers(
        {processors, 2, std::chrono::seconds(60)}, [&prepared] { prepared.next(); },
        [](int) {
            cpu_set_t set;
            CPU_ZERO(&set);
            ::sched_getaffinity(0, sizeof set, &set);
            return WorkerCall{static_cast<std::uint32_t>(CPU_COUNT(&set)),
                              static_cast<std::uint32_t>(::sched_getcpu()),
                              false,
                              {},
                              {}};
        });
    ASSERT_EQ(outcome.failure.kind, WorkerFailureKind::None);
    for (std::size_t worker = 0; worker < processors.size(); ++worker)
        for (const WorkerCall& call : outcome.calls[worker]) {
            EXPECT_EQ(call.cycles, 1u) << "worker " << worker;
            EXPECT_EQ(call.milliseconds, static_cast<std::uint32_t>(processors[worker]));
        }
    EXPECT_EQ(prepared.next(), processors.size());
    EXPECT_TRUE(noChildLeft());
}

}  // namespace
