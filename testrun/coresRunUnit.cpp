// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/coresRunUnit.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "testrun/harnessUnit.h"
#include "testrun/workAreaUnit.h"

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
std::optional<std::uint32_t> oneCoreBest(const ResultTable& oneCore, int test) {
    const ResultRow& cycles = cycleRow(oneCore, test);
    if (!failedRuns(cycles, millisecondRow(oneCore, test)).empty()) return std::nullopt;
    return *std::min_element(cycles.begin(), cycles.end());
}

}  // namespace

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

CoresRun runOnEveryCore(TestTable tests, const ResultTable& oneCore,
                        std::span<const int> processors,
                        const std::function<void(int test, const CoresTest&)>& tested) {
    CoresRun run;
    run.count = static_cast<int>(processors.size());
    for (std::size_t index = 0; index < tests.size(); ++index) {
        const int test = static_cast<int>(index);
        const ResultRow& milliseconds = millisecondRow(oneCore, test);
        const platform::WorkerPlan plan{
            {processors.begin(), processors.end()},
            kRunsPerTest,
            workerTimeout(*std::max_element(milliseconds.begin(), milliseconds.end()))};
        const auto prepare = [tests, index] {
            RebuildKernelWorkArea();
            for (std::size_t before = 0; before < index; ++before)
                (void)tests[before].kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
        };
        const TestKernel kernel = tests[index].kernel;
        const auto call = [kernel](int) {
            const CallTiming timing = TimeCall(kernel, &TestBuffer1, &TestBuffer2, &TestBuffer3);
            return platform::WorkerCall{timing.cycles, timing.milliseconds, timing.failed};
        };
        const platform::WorkerOutcome outcome = platform::runWorkers(plan, prepare, call);
        CoresTest& result = run.tests.emplace_back();
        if (outcome.failure.kind == platform::WorkerFailureKind::None)
            result = summariseWorkerCalls(outcome.calls, oneCoreBest(oneCore, test));
        else
            result.failure = workerFailureText(outcome.failure);
        if (tested) tested(test, result);
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
    if (result.machineCycles && result.machineMilliseconds)
        line += figureText(*result.machineCycles, *result.machineMilliseconds, result.scaling);
    else
        line += kTestFailedText;
    if (!result.failure.empty()) line += " (" + result.failure + ")";
    return line;
}
