#pragma once
// Test tables for runs in tests: the program's ten tests, multimedia resets and all, each timing
// a kernel of the test's choosing, under the program's own labels or under "test 0" to "test 9".

#include <algorithm>
#include <array>

#include "engine/sequenceUnit.h"
#include "engine/testTableUnit.h"

using FakeTestTable = std::array<TestEntry, kTestCount>;

inline FakeTestTable programTestsTiming(TestKernel kernel) {
    FakeTestTable tests{};
    std::transform(benchmarkTests().begin(), benchmarkTests().end(), tests.begin(),
                   [kernel](TestEntry test) {
                       test.kernel = kernel;
                       return test;
                   });
    return tests;
}

inline FakeTestTable numberedTestsTiming(TestKernel kernel) {
    static constexpr const char* kLabels[kTestCount] = {
        "test 0", "test 1", "test 2", "test 3", "test 4",
        "test 5", "test 6", "test 7", "test 8", "test 9",
    };
    FakeTestTable tests = programTestsTiming(kernel);
    for (int test = 0; test < kTestCount; ++test) tests[test].label = kLabels[test];
    return tests;
}
