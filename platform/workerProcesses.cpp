// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/workerProcesses.h"

#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {

namespace {

// What a worker sends: ready once, then one report per call; or why it cannot go on.
enum class MessageKind : std::uint8_t { Ready, Called, PinningRefused };

struct Message {
    MessageKind kind = MessageKind::Ready;
    WorkerCall call;
    int error = 0;
};

constexpr char kGo = 'g';

struct Worker {
    pid_t pid = -1;
    int socket = -1;  // the caller's end
};

bool sendMessage(int socket, const Message& message) {
    return ::send(socket, &message, sizeof message, MSG_NOSIGNAL) ==
           static_cast<ssize_t>(sizeof message);
}

// The worker's side: never returns.
[[noreturn]] void workerMain(int socket, pid_t caller, int worker, int processor,
                             const std::function<void()>& prepare,
                             const std::function<WorkerCall(int worker)>& call) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != caller) ::_exit(1);  // the caller died before the line above
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    if (::sched_setaffinity(0, sizeof set, &set) != 0) {
        sendMessage(socket, {MessageKind::PinningRefused, {}, errno});
        ::_exit(1);
    }
    prepare();
    if (!sendMessage(socket, {MessageKind::Ready, {}, 0})) ::_exit(1);
    // Calls until the caller closes its end (the recv reads nothing) after the last round.
    for (char go = 0; ::recv(socket, &go, 1, 0) == 1 && go == kGo;)
        if (!sendMessage(socket, {MessageKind::Called, call(worker), 0})) ::_exit(1);
    ::_exit(0);
}

// Waits for the next message of every worker in `pending` (true until it has come), until
// `deadline`. Returns the first failure seen; a worker whose socket closed is reported as
// ExitedEarly here and given its real end once reaped.
WorkerFailure receiveRound(const std::vector<Worker>& workers, const WorkerPlan& plan,
                           MessageKind expected, std::vector<std::vector<WorkerCall>>& calls) {
    std::vector<bool> pending(workers.size(), true);
    std::size_t left = workers.size();
    const auto deadline = std::chrono::steady_clock::now() + plan.timeout;
    while (left > 0) {
        std::vector<pollfd> polled;
        std::vector<std::size_t> owner;
        for (std::size_t index = 0; index < workers.size(); ++index)
            if (pending[index]) {
                polled.push_back({workers[index].socket, POLLIN, 0});
                owner.push_back(index);
            }
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready = remaining.count() <= 0 ? 0
                                                 : ::poll(polled.data(), polled.size(),
                                                          static_cast<int>(remaining.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            const std::size_t first = owner.front();
            return {WorkerFailureKind::NoAnswer, static_cast<int>(first), plan.processors[first],
                    0};
        }
        for (std::size_t at = 0; at < polled.size(); ++at) {
            if (polled[at].revents == 0) continue;
            const std::size_t index = owner[at];
            const WorkerFailure ended{WorkerFailureKind::ExitedEarly, static_cast<int>(index),
                                      plan.processors[index], 0};
            Message message;
            if (::recv(workers[index].socket, &message, sizeof message, 0) !=
                static_cast<ssize_t>(sizeof message))
                return ended;
            if (message.kind == MessageKind::PinningRefused)
                return {WorkerFailureKind::PinningRefused, static_cast<int>(index),
                        plan.processors[index], message.error};
            if (message.kind != expected) return ended;
            if (expected == MessageKind::Called) calls[index].push_back(message.call);
            pending[index] = false;
            --left;
        }
    }
    return {};
}

// After the last round every worker waits for the next release; the closed socket ends it.
// Workers that end so (within `grace`) end as a program does, which lets a profiler that runs
// them write what it counted; any other is killed.
void letWorkersEnd(std::vector<Worker>& workers, std::chrono::milliseconds grace) {
    for (Worker& worker : workers) ::close(std::exchange(worker.socket, -1));
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (Worker& worker : workers) {
        while (worker.pid > 0) {
            const pid_t ended = ::waitpid(worker.pid, nullptr, WNOHANG);
            if (ended == worker.pid || (ended < 0 && errno != EINTR))
                worker.pid = -1;  // reaped: never to be signalled again
            else if (std::chrono::steady_clock::now() >= deadline)
                break;
            else
                ::usleep(1000);
        }
    }
}

// Kills and reaps every worker; a worker that had ended by itself gives `failure` its reason.
void endWorkers(std::vector<Worker>& workers, WorkerFailure& failure) {
    for (Worker& worker : workers) {
        if (worker.socket >= 0) ::close(worker.socket);
        if (worker.pid > 0) ::kill(worker.pid, SIGKILL);
    }
    for (std::size_t index = 0; index < workers.size(); ++index) {
        if (workers[index].pid <= 0) continue;
        int status = 0;
        while (::waitpid(workers[index].pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (failure.kind != WorkerFailureKind::ExitedEarly ||
            failure.worker != static_cast<int>(index))
            continue;
        if (WIFSIGNALED(status)) {
            failure.kind = WorkerFailureKind::KilledBySignal;
            failure.detail = WTERMSIG(status);
        } else if (WIFEXITED(status)) {
            failure.detail = WEXITSTATUS(status);
        }
    }
}

}  // namespace

std::vector<int> usableProcessors() {
    std::vector<int> processors;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) return {0};
    for (int processor = 0; processor < CPU_SETSIZE; ++processor)
        if (CPU_ISSET(processor, &set)) processors.push_back(processor);
    return processors;
}

WorkerOutcome runWorkers(const WorkerPlan& plan, const std::function<void()>& prepare,
                         const std::function<WorkerCall(int worker)>& call) {
    WorkerOutcome outcome;
    outcome.calls.resize(plan.processors.size());
    std::vector<Worker> workers;
    const pid_t caller = ::getpid();
    for (std::size_t index = 0; index < plan.processors.size(); ++index) {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) {
            outcome.failure = {WorkerFailureKind::StartRefused, static_cast<int>(index),
                               plan.processors[index], errno};
            break;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only its own end: a copy of another worker's end would keep that socket open
            // after the caller is gone.
            for (const Worker& other : workers) ::close(other.socket);
            ::close(ends[0]);
            workerMain(ends[1], caller, static_cast<int>(index), plan.processors[index], prepare,
                       call);
        }
        const int forkError = errno;
        ::close(ends[1]);
        if (pid < 0) {
            ::close(ends[0]);
            outcome.failure = {WorkerFailureKind::StartRefused, static_cast<int>(index),
                               plan.processors[index], forkError};
            break;
        }
        workers.push_back({pid, ends[0]});
    }
    if (outcome.failure.kind == WorkerFailureKind::None) {
        outcome.failure = receiveRound(workers, plan, MessageKind::Ready, outcome.calls);
        const auto anotherRound = [&](int made) {
            if (made < plan.calls) return true;
            return plan.anotherRound && plan.anotherRound(outcome.calls);
        };
        for (int made = 0; outcome.failure.kind == WorkerFailureKind::None && anotherRound(made);
             ++made) {
            // A worker gone meanwhile shows up in the round's reports.
            for (const Worker& worker : workers) ::send(worker.socket, &kGo, 1, MSG_NOSIGNAL);
            outcome.failure = receiveRound(workers, plan, MessageKind::Called, outcome.calls);
        }
    }
    if (outcome.failure.kind == WorkerFailureKind::None) letWorkersEnd(workers, plan.timeout);
    endWorkers(workers, outcome.failure);
    return outcome;
}

}  // namespace platform
