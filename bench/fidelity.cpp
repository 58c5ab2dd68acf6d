// How far the program's figures can be trusted. For every kernel of a run, in the run's order
// and on the buffers the earlier kernels leave behind, five rounds, each of:
// - ten calls through the program's own harness with the priority raised as a run raises it,
//   then ten single calls of the same kernel under Google Benchmark, the peer, still raised
//   (so a round keeps the thread raised for twenty calls, as a run keeps it raised from one
//   test into the next);
// - ten calls through the harness at normal priority.
// Harness and peer take turns so that both meet the same load: on a shared machine other
// programs slow a kernel by up to 1.8 x, far more than what is measured here.
// Printed per kernel and priority, in millions of time-stamp cycles: the best call, median/best,
// average/best, the spread of the round bests, the calls above 1.5 x best, and best/peer min.
// With --fifo the raised rounds also take SCHED_FIFO whatever the kernel's real-time throttle,
// so that the figures show what the throttle's stops do to a timed call.
// Run by hand (`make bench`); the whole program takes about three minutes on an idle 2-vCPU
// machine.

#include <benchmark/benchmark.h>
#include <sched.h>
#include <stdlib.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/harnessUnit.h"
#include "engine/testTableUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "platform/priority.h"
#include "platform/processorCounters.h"
#include "platform/runConditions.h"

namespace {

constexpr int kRounds = 5;
constexpr double kOutlierFactor = 1.5;

// The harness's clock, keeping the raw time-stamp readings: the stored values are whole
// millions, too coarse to compare with the peer within a per cent. The readings go into a
// fixed array, so nothing is allocated between the two reads of a call.
class RecordingClock {
  public:
    std::uint64_t serialisedTimeStamp() {
        const std::uint64_t stamp = platform::serialisedTimeStamp();
        stamps_[count_++] = stamp;
        return stamp;
    }
    static std::uint32_t tickCount() { return platform::tickCount(); }
    // Cycles of call `run`.
    std::uint64_t cycles(int run) const { return stamps_[2 * run + 1] - stamps_[2 * run]; }

  private:
    std::array<std::uint64_t, 2 * kRunsPerTest> stamps_{};
    int count_ = 0;
};

// The run's guarded EMMS + CPUID after the MMX tests.
void resetMultimediaStateAfter(const TestEntry& test) {
    if (test.resetsMultimediaState) SystemSequencePlatform().resetMultimediaState();
}

// One round of ten calls through the harness; the cycles of each call, or none when a call
// failed.
std::vector<double> harnessRound(const TestEntry& test) {
    RecordingClock clock;
    ResultRow cycles{}, milliseconds{};
    RunFlags flags{};
    timeKernelWith(clock, test.kernel, cycles, milliseconds, &TestBuffer1, &TestBuffer2,
                   &TestBuffer3, flags);
    resetMultimediaStateAfter(test);
    std::vector<double> calls;
    for (int run = 0; run < kRunsPerTest; ++run) {
        if (flags[run] != 0) return {};
        calls.push_back(static_cast<double>(clock.cycles(run)));
    }
    return calls;
}

// Ten single calls under Google Benchmark; their shortest wall time in seconds.
class MinimumReporter final : public benchmark::BenchmarkReporter {
  public:
    double shortest = 0;
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            if (shortest == 0 || seconds < shortest) shortest = seconds;
        }
    }
};

double peerShortestSeconds(const TestEntry& test) {
    benchmark::ClearRegisteredBenchmarks();
    benchmark::RegisterBenchmark(
        "kernel",
        [&test](benchmark::State& state) {
            for (auto _ : state)
                benchmark::DoNotOptimize(test.kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3));
        })
        ->Iterations(1)
        ->Repetitions(kRunsPerTest)
        ->UseRealTime();
    MinimumReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    resetMultimediaStateAfter(test);
    return reporter.shortest;
}

// Time-stamp ticks per second, over 300 ms of the monotonic clock.
double timeStampRate() {
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t first = platform::serialisedTimeStamp();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
    }
    const std::uint64_t last = platform::serialisedTimeStamp();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<double>(last - first) / elapsed.count();
}

struct Rounds {
    std::vector<std::vector<double>> rounds;  // cycles, per round, per call
    bool failed = false;
    void add(std::vector<double> round) {
        failed = failed || round.empty();
        rounds.push_back(std::move(round));
    }
};

// A /proc of our own that says real-time threads run unthrottled, for --fifo.
class UnthrottledProc {
  public:
    UnthrottledProc() {
        std::string pattern = std::filesystem::temp_directory_path() / "korvex-proc-XXXXXX";
        root_ = mkdtemp(pattern.data());
        std::filesystem::create_directories(root_ / "sys/kernel");
        std::ofstream(root_ / "sys/kernel/sched_rt_runtime_us") << "-1\n";
    }
    ~UnthrottledProc() { std::filesystem::remove_all(root_); }
    std::string root() const { return root_.string(); }

  private:
    std::filesystem::path root_;
};

// Where raising reads the real-time throttle: the real /proc, or one that forces SCHED_FIFO.
std::string raiseProcRoot = "/proc";

// Raises the priority as a run does; says once when a setting was refused, since the "raised"
// figures then stand for less.
void raisePriority() {
    static bool refusalShown = false;
    if (!platform::raisePriority(raiseProcRoot) && !std::exchange(refusalShown, true))
        std::fprintf(stderr, "fidelity_bench: the raised priority was refused in part\n");
}

// Spins for three seconds at raised priority and reports the stops of 5 ms or more it sees:
// with SCHED_FIFO under the real-time throttle, about one stop of ~50 ms per second.
void printRaisedStops() {
    using Clock = std::chrono::steady_clock;
    const platform::PriorityState saved = platform::savePriority();
    raisePriority();
    int stops = 0;
    Clock::duration longest{};
    const Clock::time_point end = Clock::now() + std::chrono::seconds(3);
    for (Clock::time_point last = Clock::now(), now = last; now < end; last = now) {
        now = Clock::now();
        if (now - last >= std::chrono::milliseconds(5)) {
            ++stops;
            longest = std::max(longest, now - last);
        }
    }
    platform::restorePriority(saved);
    std::printf("A busy raised thread over 3 s: %d stops of 5 ms or more, the longest %.1f ms\n",
                stops, std::chrono::duration<double, std::milli>(longest).count());
}

struct KernelTimes {
    Rounds raised;
    Rounds normal;
    double peerSeconds = 0;
};

KernelTimes timeKernel(const TestEntry& test) {
    KernelTimes times;
    for (int round = 0; round < kRounds; ++round) {
        const platform::PriorityState saved = platform::savePriority();
        raisePriority();
        times.raised.add(harnessRound(test));
        const double peer = peerShortestSeconds(test);
        platform::restorePriority(saved);
        times.normal.add(harnessRound(test));
        if (peer > 0 && (times.peerSeconds == 0 || peer < times.peerSeconds))
            times.peerSeconds = peer;
    }
    return times;
}

void printRow(const char* priority, const Rounds& timed, double peerCycles) {
    if (timed.failed) {
        std::printf("  %-7s a call failed\n", priority);
        return;
    }
    std::vector<double> calls, roundBests;
    for (const auto& round : timed.rounds) {
        calls.insert(calls.end(), round.begin(), round.end());
        roundBests.push_back(*std::min_element(round.begin(), round.end()));
    }
    std::sort(calls.begin(), calls.end());
    const double best = calls.front();
    const double median = (calls[calls.size() / 2 - 1] + calls[calls.size() / 2]) / 2;
    const double average = std::accumulate(calls.begin(), calls.end(), 0.0) / calls.size();
    const auto [lowest, highest] = std::minmax_element(roundBests.begin(), roundBests.end());
    const auto outliers = std::count_if(calls.begin(), calls.end(),
                                        [&](double c) { return c > kOutlierFactor * best; });
    std::printf("  %-7s %9.2f %7.3f %7.3f %7.2f%% %4ld/%zu %9.3f\n", priority, best / 1e6,
                median / best, average / best, 100 * (*highest / *lowest - 1), outliers,
                calls.size(), best / peerCycles);
}

std::string firstLineOf(const char* path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

void printMachine(double rate) {
    const auto load = platform::oneMinuteLoadAverage();
    std::string governors;
    for (const std::string& governor : platform::frequencyGovernors()) governors += governor + " ";
    std::printf(
        "Time-stamp counter %.1f MHz, %d logical processors, %s, load average %.2f at "
        "start, governor %s, sched_rt_runtime_us %s\n",
        rate / 1e6, platform::logicalProcessors(),
        platform::hypervisorPresent() ? "under a hypervisor" : "no hypervisor", load.value_or(-1),
        governors.empty() ? "(none exposed) " : governors.c_str(),
        firstLineOf("/proc/sys/kernel/sched_rt_runtime_us").c_str());
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();
    std::optional<UnthrottledProc> unthrottled;
    if (argc > 1 && std::string(argv[1]) == "--fifo") {
        unthrottled.emplace();
        raiseProcRoot = unthrottled->root();
    }

    const double rate = timeStampRate();
    printMachine(rate);
    const platform::PriorityState saved = platform::savePriority();
    raisePriority();
    const platform::PriorityState raised = platform::savePriority();
    platform::restorePriority(saved);
    std::printf("Raised priority: nice %d, %s\n", raised.niceValue,
                raised.schedulingPolicy == SCHED_FIFO ? "SCHED_FIFO" : "SCHED_OTHER");
    printRaisedStops();
    std::printf(
        "Per kernel: %d rounds of %d calls through the harness at each priority; the peer "
        "is the shortest of %d x %d single calls under Google Benchmark, in turns with the "
        "raised harness calls.\n",
        kRounds, kRunsPerTest, kRounds, kRunsPerTest);
    std::printf("test priority  best(Mc) med/bst avg/bst rnd-sprd  >1.5x  best/peer\n");
    const auto tests = benchmarkTests();
    for (std::size_t index = 0; index < tests.size(); ++index) {
        const TestEntry& test = tests[index];
        const KernelTimes times = timeKernel(test);
        const double peerCycles = times.peerSeconds * rate;
        std::printf("%2zu %s (peer %.2f Mc)\n", index + 1, test.label, peerCycles / 1e6);
        printRow("raised", times.raised, peerCycles);
        printRow("normal", times.normal, peerCycles);
    }
    return 0;
}
