#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// What each test's calls say about what disturbed them, and its line in the quality report
// (UTF-8, Russian): "тест 3: 4 вызова из 10 ждали процессор (всего 37 мс), заменены".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/disturbedCallsUnit.h"
#include "record/runQualityUnit.h"

struct TestDisturbance {
    // Of the test's first ten calls (those a run as they come would store): the disturbed ones
    // (that waited or moved; a slow round is reported as the round's), those among them that
    // waited beyond the share and those that moved (a call may do both), and the wait plus
    // steal of the disturbed ones.
    int disturbedOfTen = 0;
    int waitedOfTen = 0;
    int movedOfTen = 0;
    std::uint64_t waitNanoseconds = 0;
    int extraCalls = 0;
    int cleanCalls = 0;  // of the ten stored
    bool replacing = false;
    bool failed = false;  // a call failed, so none was replaced
};

TestDisturbance summariseDisturbance(const TestCalls& calls);

// The report's line for `test` (0 to 9, shown 1 to 10); nothing when its first ten calls were
// undisturbed. Says whether the disturbed calls were replaced, and when fewer than ten clean
// calls were had, that the test's figures cannot be fully trusted. `scope`, when given, follows
// the test's number ("тест 3, все ядра: ...").
std::optional<std::string> disturbanceLine(int test, const TestDisturbance& disturbance,
                                           std::string_view scope = {});

// A test's calls as the JSON gives them: the stored ten and the replaced ones, in run order.
TestCallsExport exportCalls(const TestCalls& calls);

// Every test's calls, test k at index k.
std::vector<TestCallsExport> exportRunCalls(const RunCalls& calls);
