// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/coresRunUnit.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "engine/disturbanceReportUnit.h"
#include "engine/harnessUnit.h"
#include "kernel/workAreaUnit.h"

namespace {

// Workers and processors as people count them, from 1 and as the system numbers them.
std::string workerText(const platform::WorkerFailure& failure) {
    return "процесс " + std::to_string(failure.worker + 1) + " (процессор " +
           std::to_string(failure.processor) + ")";
}

// "410 млн. тактов, 158 миллисекунд, масштабирование 1.96"; without a one-core best to compare
// with, the scaling is left out.
std::string figureText(std::uint32_t cycles, std::uint32_t milliseconds,
                       std::optional<double> scaling) {
    std::string text = std::to_string(cycles) + kMillionCyclesText + ", " +
                       std::to_string(milliseconds) + kMillisecondsText;
    if (!scaling) return text;
    char figure[32];
    std::snprintf(figure, sizeof figure, "%.2f", *scaling);
    return text + ", масштабирование " + figure;
}

// The one-core best of test `test`, as its summary line shows it; empty when a run failed.
std::optional<std::uint32_t> oneCoreBest(std::span<const ResultRow> oneCore, int test) {
    return summariseTest(oneCore, test).bestCycles;
}

// Whether call `a` was more disturbed than call `b`: disturbed before undisturbed, then by
// the share of its duration it waited.
bool moreDisturbed(const CallDisturbance& a, const CallDisturbance& b) {
    if (a.disturbed() != b.disturbed()) return a.disturbed();
    return a.waitShare() > b.waitShare();
}

// The rounds `stored` of every worker's calls.
std::vector<std::vector<platform::WorkerCall>> keptRounds(
    const std::vector<std::vector<platform::WorkerCall>>& calls,
    const std::array<std::size_t, kRunsPerTest>& stored) {
    std::vector<std::vector<platform::WorkerCall>> kept(calls.size());
    for (std::size_t worker = 0; worker < calls.size(); ++worker)
        for (const std::size_t round : stored) kept[worker].push_back(calls[worker].at(round));
    return kept;
}

}  // namespace

std::vector<TimedCall> roundsAsCalls(const std::vector<std::vector<platform::WorkerCall>>& calls) {
    std::size_t rounds = calls.empty() ? 0 : calls.front().size();
    for (const std::vector<platform::WorkerCall>& worker : calls)
        rounds = std::min(rounds, worker.size());
    std::vector<TimedCall> made(rounds);
    for (std::size_t round = 0; round < rounds; ++round) {
        TimedCall& machine = made[round];
        for (std::size_t worker = 0; worker < calls.size(); ++worker) {
            const platform::WorkerCall& call = calls[worker][round];
            const CallDisturbance disturbance = disturbanceBetween(call.before, call.after);
            machine.failed = machine.failed || call.failed;
            machine.cycles = std::max(machine.cycles, call.cycles);
            machine.milliseconds = std::max(machine.milliseconds, call.milliseconds);
            if (worker == 0 || moreDisturbed(disturbance, machine.disturbance))
                machine.disturbance = disturbance;
        }
    }
    return made;
}

CoresTest summariseRounds(int test, const std::vector<std::vector<platform::WorkerCall>>& calls,
                          bool replacing, std::optional<std::uint32_t> oneCoreBestCycles) {
    TestCalls rounds;
    rounds.made = roundsAsCalls(calls);
    rounds.replacing = replacing;
    rounds.stored = leastDisturbedCalls(rounds.made);
    CoresTest result = summariseWorkerCalls(keptRounds(calls, rounds.stored), oneCoreBestCycles);
    result.extraRounds = std::max(rounds.extraCalls(), 0);
    result.cleanRounds = rounds.cleanCalls();
    result.disturbance =
        disturbanceLine(test, summariseDisturbance(rounds), "все ядра").value_or(std::string());
    return result;
}

std::string workerFailureText(const platform::WorkerFailure& failure) {
    using Kind = platform::WorkerFailureKind;
    const std::string reason = std::generic_category().message(failure.detail);
    switch (failure.kind) {
        case Kind::None:
            return {};
        case Kind::StartRefused:
            return workerText(failure) + " не запущен: " + reason;
        case Kind::PinningRefused:
            return workerText(failure) + " не закреплён за процессором: " + reason;
        case Kind::KilledBySignal:
            return workerText(failure) + " завершён сигналом " + std::to_string(failure.detail);
        case Kind::ExitedEarly:
            return workerText(failure) + " завершился раньше времени с кодом " +
                   std::to_string(failure.detail);
        case Kind::NoAnswer:
            return workerText(failure) + " не ответил вовремя";
    }
    return {};
}

std::chrono::milliseconds workerTimeout(std::uint32_t slowestCallMilliseconds) {
    return std::chrono::seconds(30) + 20 * std::chrono::milliseconds(slowestCallMilliseconds);
}

CoresTest runTestOnEveryCore(TestTable tests, int test, std::span<const ResultRow> oneCore,
                             std::span<const int> processors, bool replacing) {
    const auto index = static_cast<std::size_t>(test);
    const ResultRow& milliseconds = millisecondRow(oneCore, test);
    const platform::WorkerPlan plan{
        {processors.begin(), processors.end()},
        kRunsPerTest,
        workerTimeout(*std::max_element(milliseconds.begin(), milliseconds.end())),
        [replacing](const std::vector<std::vector<platform::WorkerCall>>& made) {
            return wantsAnotherCall(roundsAsCalls(made), replacing);
        }};
    const auto prepare = [tests, index] {
        RebuildKernelWorkArea();
        for (std::size_t before = 0; before < index; ++before)
            if (tests[before].runsHere())
                (void)tests[before].kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
    };
    const TestKernel kernel = tests[index].kernel;
    // Read as the one-core run reads them: before the tick t0 and after the tick t1.
    const auto call = [kernel](int) {
        ProcessorClock clock;
        const platform::DisturbanceReading before = platform::readDisturbance();
        const CallTiming timing =
            timeCallWith(clock, kernel, &TestBuffer1, &TestBuffer2, &TestBuffer3);
        return platform::WorkerCall{timing.cycles, timing.milliseconds, timing.failed, before,
                                    platform::readDisturbance()};
    };
    const platform::WorkerOutcome outcome = platform::runWorkers(plan, prepare, call);
    if (outcome.failure.kind != platform::WorkerFailureKind::None) {
        CoresTest failed;
        failed.failure = workerFailureText(outcome.failure);
        return failed;
    }
    return summariseRounds(test, outcome.calls, replacing, oneCoreBest(oneCore, test));
}

CoresRun runOnEveryCore(TestTable tests, std::span<const ResultRow> oneCore,
                        std::span<const int> processors, bool replacing,
                        const std::function<void(int test, const CoresTest&)>& tested) {
    CoresRun run;
    run.count = static_cast<int>(processors.size());
    for (int test = 0; test < static_cast<int>(tests.size()); ++test) {
        if (tests[static_cast<std::size_t>(test)].runsHere()) {
            run.tests.push_back(runTestOnEveryCore(tests, test, oneCore, processors, replacing));
        } else {
            run.tests.emplace_back().failure = kTestNotSupportedText;
        }
        if (tested) tested(test, run.tests.back());
    }
    return run;
}

std::vector<int> firstProcessors(int count) {
    std::vector<int> processors = platform::usableProcessors();
    processors.resize(std::min(processors.size(), static_cast<std::size_t>(count)));
    return processors;
}

std::string coresHeading(int count) {
    return "Все ядра сразу, процессов: " + std::to_string(count);
}

std::string coresLine(const TestEntry& test, const CoresTest& result) {
    std::string line = std::string(test.label) + " ";
    if (!test.runsHere()) return line + kTestNotSupportedText;
    if (result.machineCycles && result.machineMilliseconds)
        line += figureText(*result.machineCycles, *result.machineMilliseconds, result.scaling);
    else
        line += kTestFailedText;
    if (!result.failure.empty()) line += " (" + result.failure + ")";
    return line;
}
