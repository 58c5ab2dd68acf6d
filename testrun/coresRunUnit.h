#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// Every core at once: after the one-core run, each test's ten calls are made again by one worker
// process per chosen logical processor, all calls of a round started together
// (platform/workerProcesses). Each worker times its calls as the harness times the one-core run.

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/workerProcesses.h"
#include "results/coresResultUnit.h"
#include "results/resultTableUnit.h"
#include "testrun/sequenceUnit.h"

// Why a test's workers did not finish, in the run's language.
std::string workerFailureText(const platform::WorkerFailure& failure);

// How long the caller waits for every worker's next report in a test whose one-core calls took
// at most `slowestCallMilliseconds`: long enough for a worker slowed down by many others.
std::chrono::milliseconds workerTimeout(std::uint32_t slowestCallMilliseconds);

// Times every test of `tests` on the processors given, one worker each, and tells `tested` each
// test's figures as soon as it has them. `oneCore` is the one-core run's table (its bests give
// the scaling and its slowest calls the time-out). Each worker fills its work area anew and
// brings it to the state the one-core run's test met (the tests before it called once each,
// untimed) before its first timed call.
CoresRun runOnEveryCore(TestTable tests, const ResultTable& oneCore,
                        std::span<const int> processors,
                        const std::function<void(int test, const CoresTest&)>& tested);

// The first `count` processors this process may use.
std::vector<int> firstProcessors(int count);

// The block the console prints after the one-core lines: this heading, then one coresLine per
// test.
std::string coresHeading(int count);
// The test's label and its machine figures with the scaling, or "Тест не пройден" and the reason.
std::string coresLine(const TestEntry& test, const CoresTest& result);
