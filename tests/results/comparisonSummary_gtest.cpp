#include "results/comparisonSummaryUnit.h"

#include <gtest/gtest.h>

#include <deque>

#include "results/comparisonTextUnit.h"
#include "support/records.h"

namespace {

MachineComparison withIndex(std::optional<double> index, int tests, int real) {
    MachineComparison comparison;
    comparison.index = index;
    comparison.testsInIndex = tests;
    for (int test = 0; test < real; ++test)
        comparison.tests[static_cast<std::size_t>(test)].significant = true;
    return comparison;
}

// Highest index first, the machines without one last, equal ones in the order given; the
// reference says "ref" where the others count their real differences.
TEST(ComparisonSummary, MachinesSortedByIndexWithTheirRealDifferences) {
    const MachineComparison slower = withIndex(90.909, 10, 10), reference = withIndex(100, 10, 0),
                            never = withIndex(std::nullopt, 0, 0), equal = withIndex(100, 9, 1);
    const std::vector<SummaryMachine> machines = {
        {"b.dat", "Beta", &slower, false},
        {"never.dat", "", &never, false},
        {"a.dat", "Alpha\x1b", &reference, true},
        {"Ваша система", "", &equal, false},
    };
    EXPECT_EQ(comparisonSummaryLines(machines, BenchUnit::Milliseconds),
              (std::vector<std::string>{
                  "Index in milliseconds: the reference is 100, higher is faster (geometric mean "
                  "over the tests both ran)",
                  "Machine       CPU     Index  Tests  Real",
                  "a.dat         Alpha?  100.0  10     ref",
                  "Ваша система          100.0  9      1",
                  "b.dat         Beta    90.9   10     10",
                  "never.dat             -      0      0",
              }));
}

struct RatioCase {
    const char* name;
    TestComparison test;
    bool reference;
    std::string text;
};

TEST(ComparisonSummary, RatioCellMarksADifferenceThatIsNotReal) {
    const std::vector<RatioCase> cases = {
        {"real", {1.10345, 0.001, 0.05, true}, false, "1.103"},
        {"not real", {1.0214, 0.3, 0.05, false}, false, "≈1.021"},
        {"no ratio", {std::nullopt, 1, 0.05, false}, false, ""},
        {"the reference", {1.0, 1, 0.05, false}, true, "ref"},
    };
    for (const RatioCase& c : cases)
        EXPECT_EQ(ratioCellText(c.test, c.reference), c.text) << c.name;
}

// The ratio column stands before the bar, as wide as its widest text.
TEST(ComparisonSummary, ComparisonTextShowsTheRatioColumn) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("Alpha", halfAndHalf(200, 200)));
    TCpuRecord own = makeOwnSystem();
    own.Results[0] = halfAndHalf(100, 100);
    const RowRatioText ratio = [&](const TCpuRecord* record) {
        return record == &own ? std::string("ref") : std::string("≈2.000");
    };
    EXPECT_EQ(comparisonTextLines(systems, own, 1, BenchUnit::Cycles, 4, ratio),
              (std::vector<std::string>{
                  "CPU           FSB  Memory  OS     Value  Ratio   Bench",
                  "Ваша система                      100    ref     **",
                  "Alpha         133  512 МБ  Linux  200    ≈2.000  ####",
              }));
}

}  // namespace
