#include "engine/coresRunUnit.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>
#include <utility>

#include "support/fakeTestTable.h"

namespace {

using platform::WorkerFailureKind;

std::int32_t passingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    return 0;
}

std::int32_t faultingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    return 1;
}

std::int32_t dyingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    ::raise(SIGKILL);
    return 0;
}

// Calls of each test's kernel, counted across the worker processes in memory they share.
std::atomic<int>* sharedCalls = nullptr;

template <int test>
std::int32_t countingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    sharedCalls[test].fetch_add(1);
    return 0;
}

template <int... tests>
void countEveryTest(FakeTestTable& table, std::integer_sequence<int, tests...>) {
    ((table[tests].kernel = countingKernel<tests>), ...);
}

// Each worker of test k calls the tests before it once, untimed, then its own ten times: no
// more, so no test's figure comes from an eleventh call.
TEST(CoresRun, EachWorkerMakesExactlyThePlannedCalls) {
    void* shared = ::mmap(nullptr, kTestCount * sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(shared, MAP_FAILED);
    sharedCalls = new (shared) std::atomic<int>[kTestCount] {};
    FakeTestTable tests = programTestsTiming(passingKernel);
    countEveryTest(tests, std::make_integer_sequence<int, kTestCount>{});
    const int processor = platform::usableProcessors().front();
    const std::vector<int> processors = {processor, processor};
    ResultTable oneCore{};
    (void)runOnEveryCore(tests, oneCore, processors, false, [](int, const CoresTest&) {});
    for (int test = 0; test < kTestCount; ++test) {
        const int laterTests = kTestCount - 1 - test;
        EXPECT_EQ(sharedCalls[test].load(), 2 * (kRunsPerTest + laterTests)) << "test " << test;
    }
    ::munmap(shared, kTestCount * sizeof(std::atomic<int>));
    sharedCalls = nullptr;
}

// Every test is timed by every worker; a test whose kernel fails or whose worker dies is failed
// with its reason, and the tests after it are timed as usual.
TEST(CoresRun, EveryTestIsTimedOnEveryProcessorAndAFailedTestLetsTheOthersGoOn) {
    FakeTestTable tests = programTestsTiming(passingKernel);
    tests[kTestCount - 2].kernel = faultingKernel;
    tests[kTestCount - 1].kernel = dyingKernel;  // last: no later test's worker calls it
    ResultTable oneCore{};
    const int processor = platform::usableProcessors().front();
    const std::vector<int> processors = {processor, processor};
    std::vector<int> told;
    const CoresRun run = runOnEveryCore(tests, oneCore, processors, true,
                                        [&](int test, const CoresTest&) { told.push_back(test); });
    EXPECT_EQ(run.count, 2);
    ASSERT_EQ(run.tests.size(), static_cast<std::size_t>(kTestCount));
    EXPECT_EQ(told.size(), static_cast<std::size_t>(kTestCount));
    for (int test = 0; test < kTestCount - 2; ++test) {
        const CoresTest& result = run.tests[static_cast<std::size_t>(test)];
        EXPECT_TRUE(result.machineCycles.has_value()) << "test " << test;
        EXPECT_EQ(result.workerBestCycles.size(), 2u) << "test " << test;
        EXPECT_TRUE(result.failure.empty()) << result.failure;
    }
    const CoresTest& faulted = run.tests[kTestCount - 2];
    EXPECT_FALSE(faulted.machineCycles.has_value());
    EXPECT_TRUE(faulted.failure.empty());
    // Both workers die; whichever is seen first is named.
    const std::string& died = run.tests[kTestCount - 1].failure;
    const std::string processorText = " (процессор " + std::to_string(processor) + ")";
    EXPECT_TRUE(died == "процесс 1" + processorText + " завершён сигналом 9" ||
                died == "процесс 2" + processorText + " завершён сигналом 9")
        << died;
    EXPECT_TRUE(::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD);
}

TEST(CoresRun, LinesShowTheFiguresOrTheFailureAndItsReason) {
    const TestEntry test = benchmarkTests()[0];
    const std::string label = test.label;
    const struct {
        CoresTest result;
        std::string line;
    } cases[] = {
        {{{}, {}, 410, 158, 1.9634, ""},
         label + " 410 млн. тактов, 158 миллисекунд, масштабирование 1.96"},
        {{{}, {}, 410, 158, std::nullopt, ""}, label + " 410 млн. тактов, 158 миллисекунд"},
        {{}, label + " Тест не пройден"},
        {{{}, {}, std::nullopt, std::nullopt, std::nullopt, "процесс 2 не ответил вовремя"},
         label + " Тест не пройден (процесс 2 не ответил вовремя)"},
    };
    for (const auto& c : cases) EXPECT_EQ(coresLine(test, c.result), c.line);
    EXPECT_EQ(coresHeading(4), "Все ядра сразу, процессов: 4");
}

// A round is as disturbed as its most disturbed call and as slow as its slowest; the kept rounds
// alone give the figures. Here the disturbed rounds are also the fastest, so keeping one shows.
TEST(CoresRun, DisturbedRoundsAreReplacedAndNamed) {
    constexpr std::uint64_t kMs = 1'000'000;
    const auto call = [](std::uint32_t cycles, std::uint64_t waited) {
        // On processor 0 throughout: only the wait can disturb the call.
        return platform::WorkerCall{
            cycles, cycles / 2, false, {0, 0, 0, 0, 0}, {100 * kMs, waited, 0, 0, 0}};
    };
    const struct {
        int rounds;
        std::vector<int> disturbed;  // rounds whose second worker waited 5 ms
        bool replacing;
        std::uint32_t machineCycles;
        int extraRounds, cleanRounds;
        std::string line;
    } cases[] = {
        {10, {}, true, 120, 0, 10, ""},
        {12,
         {3, 7},
         true,
         120,
         2,
         10,
         "тест 4, все ядра: 2 вызова из 10 ждали процессор (всего 10 мс), заменены"},
        {10,
         {3},
         false,
         50,
         0,
         9,
         "тест 4, все ядра: 1 вызов из 10 ждал процессор (всего 5.0 мс), не заменены "
         "(--runs-as-they-come)"},
    };
    for (const auto& c : cases) {
        std::vector<std::vector<platform::WorkerCall>> calls(2);
        for (int round = 0; round < c.rounds; ++round) {
            const bool disturbed = std::ranges::count(c.disturbed, round) > 0;
            calls[0].push_back(call(disturbed ? 40 : 100 + round, 0));
            calls[1].push_back(call(disturbed ? 50 : 120, disturbed ? 5 * kMs : 0));
        }
        const CoresTest result = summariseRounds(3, calls, c.replacing, 120);
        EXPECT_EQ(result.machineCycles, c.machineCycles) << c.line;
        EXPECT_EQ(result.extraRounds, c.extraRounds) << c.line;
        EXPECT_EQ(result.cleanRounds, c.cleanRounds) << c.line;
        EXPECT_EQ(result.disturbance, c.line);
    }
}

// A round is as disturbed as its most disturbed call: where both workers waited, the longer
// wait, whichever worker had it.
TEST(CoresRun, ARoundWhoseWorkersBothWaitedCarriesTheLongerWait) {
    constexpr std::uint64_t kMs = 1'000'000;
    const auto call = [](std::uint64_t waited) {
        return platform::WorkerCall{100, 50, false, {0, 0, 0, 0, 0}, {100 * kMs, waited, 0, 0, 0}};
    };
    for (const auto& [first, second] : {std::pair{3 * kMs, 7 * kMs}, std::pair{7 * kMs, 3 * kMs}}) {
        const std::vector<TimedCall> rounds = roundsAsCalls({{call(first)}, {call(second)}});
        ASSERT_EQ(rounds.size(), 1u);
        EXPECT_EQ(rounds[0].disturbance.waitNanoseconds, 7 * kMs) << first;
    }
}

TEST(CoresRun, EveryFailureNamesItsWorkerAndProcessor) {
    const struct {
        platform::WorkerFailure failure;
        std::string text;
    } cases[] = {
        {{WorkerFailureKind::None, 0, 0, 0}, ""},
        {{WorkerFailureKind::StartRefused, 2, 5, EAGAIN},
         "процесс 3 (процессор 5) не запущен: Resource temporarily unavailable"},
        {{WorkerFailureKind::PinningRefused, 0, 7, EINVAL},
         "процесс 1 (процессор 7) не закреплён за процессором: Invalid argument"},
        {{WorkerFailureKind::KilledBySignal, 1, 1, SIGKILL},
         "процесс 2 (процессор 1) завершён сигналом 9"},
        {{WorkerFailureKind::ExitedEarly, 1, 1, 3},
         "процесс 2 (процессор 1) завершился раньше времени с кодом 3"},
        {{WorkerFailureKind::NoAnswer, 1, 0, 0}, "процесс 2 (процессор 0) не ответил вовремя"},
    };
    for (const auto& c : cases) EXPECT_EQ(workerFailureText(c.failure), c.text);
}

}  // namespace
