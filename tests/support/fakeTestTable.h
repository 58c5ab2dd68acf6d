#pragma once
// Test tables for runs in tests: the result file's tests (those the windows run), multimedia
// resets and all, each timing a kernel of the test's choosing, under the program's own labels or
// under "test 0", "test 1" and so on; and the program's every test the same way.

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "engine/sequenceUnit.h"
#include "engine/testTableUnit.h"

using FakeTestTable = std::array<TestEntry, kTestCount>;

// `test` timing `kernel` instead, on any processor.
inline TestEntry timing(TestEntry test, TestKernel kernel) {
    test.kernel = kernel;
    test.supported = nullptr;
    return test;
}

inline FakeTestTable programTestsTiming(TestKernel kernel) {
    FakeTestTable tests{};
    std::transform(resultFileTests().begin(), resultFileTests().end(), tests.begin(),
                   [kernel](const TestEntry& test) { return timing(test, kernel); });
    return tests;
}

// "test k" for test k, as long as the program runs.
inline const char* numberedLabel(std::size_t test) {
    static const std::vector<std::string> labels = [] {
        std::vector<std::string> made;
        for (std::size_t k = 0; k < benchmarkTests().size(); ++k)
            made.push_back("test " + std::to_string(k));
        return made;
    }();
    return labels.at(test).c_str();
}

inline FakeTestTable numberedTestsTiming(TestKernel kernel) {
    FakeTestTable tests = programTestsTiming(kernel);
    for (std::size_t test = 0; test < tests.size(); ++test) tests[test].label = numberedLabel(test);
    return tests;
}

// Every test of the program (the console's run), each timing `kernel` under "test k".
inline std::vector<TestEntry> everyTestTiming(TestKernel kernel) {
    std::vector<TestEntry> tests;
    for (const TestEntry& test : benchmarkTests()) {
        tests.push_back(timing(test, kernel));
        tests.back().label = numberedLabel(tests.size() - 1);
    }
    return tests;
}
