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

#include "engine/disturbedCallsUnit.h"
#include "engine/sequenceUnit.h"
#include "platform/workerProcesses.h"
#include "record/coresResultUnit.h"
#include "record/resultTableUnit.h"

// Why a test's workers did not finish, in the run's language.
std::string workerFailureText(const platform::WorkerFailure& failure);

// How long the caller waits for every worker's next report in a test whose one-core calls took
// at most `slowestCallMilliseconds`: long enough for a worker slowed down by many others.
std::chrono::milliseconds workerTimeout(std::uint32_t slowestCallMilliseconds);

// Each round of a test's worker calls (per worker, per call) as one call of the whole machine:
// the slowest worker's figures, failed when a worker's call failed, and the disturbance of its
// most disturbed call, so that rounds are replaced as the one-core run replaces calls.
std::vector<TimedCall> roundsAsCalls(const std::vector<std::vector<platform::WorkerCall>>& calls);

// Test `test`'s figures from its workers' calls (per worker, per call, at least ten rounds):
// those of its ten least
// disturbed rounds (all ten when not `replacing`), with the line on its disturbed ones.
CoresTest summariseRounds(int test, const std::vector<std::vector<platform::WorkerCall>>& calls,
                          bool replacing, std::optional<std::uint32_t> oneCoreBestCycles);

// Times test `test` of `tests` on the processors given, one worker each. Each worker fills its
// work area anew and brings it to the state the one-core run's test met (the tests before it
// called once each, untimed) before its first timed call. `oneCore` is the one-core run's table
// (its best gives the scaling and its slowest call the time-out).
CoresTest runTestOnEveryCore(TestTable tests, int test, std::span<const ResultRow> oneCore,
                             std::span<const int> processors, bool replacing);

// Times every test of `tests` as runTestOnEveryCore does and tells `tested` each test's figures
// as soon as it has them (a test this processor cannot run makes no call and fails with
// kTestNotSupportedText). While `replacing`, disturbed rounds are replaced by further rounds as
// wantsAnotherCall says, and the ten least disturbed are kept.
CoresRun runOnEveryCore(TestTable tests, std::span<const ResultRow> oneCore,
                        std::span<const int> processors, bool replacing,
                        const std::function<void(int test, const CoresTest&)>& tested);

// The first `count` processors this process may use.
std::vector<int> firstProcessors(int count);

// The block the console prints after the one-core lines: this heading, then one coresLine per
// test.
std::string coresHeading(int count);
// The test's label and its machine figures with the scaling, or "Тест не пройден" and the reason,
// or kTestNotSupportedText.
std::string coresLine(const TestEntry& test, const CoresTest& result);
