#include "renderers/comparisonSummaryUnit.h"

#include <gtest/gtest.h>

#include <deque>

#include "renderers/comparisonTextUnit.h"
#include "support/records.h"

namespace {

MachineComparison withIndex(std::optional<double> index, int tests, int real,
                            int inconclusive = 0) {
    MachineComparison comparison;
    comparison.index = index;
    comparison.testsInIndex = tests;
    for (int test = 0; test < real + inconclusive; ++test)
        comparison.tests[static_cast<std::size_t>(test)].verdict =
            test < real ? Verdict::Real : Verdict::Inconclusive;
    return comparison;
}

// Highest index first, the machines without one last, equal ones in the order given; the
// reference says "ref" where the others count their real and inconclusive differences, and a
// machine from an unsteady run, or one behind its own machine's best, is marked so.
TEST(ComparisonSummary, MachinesSortedByIndexWithTheirRealDifferences) {
    MachineComparison slower = withIndex(90.909, 10, 8, 2);
    slower.tests[9].behind = 0.2;
    const MachineComparison reference = withIndex(100, 10, 0),
                            never = withIndex(std::nullopt, 0, 0), equal = withIndex(100, 9, 1, 3);
    RecordQuality unsteady;
    unsteady.unsteady[4] = true;
    const std::vector<SummaryMachine> machines = {
        {"b.dat", "Beta", &slower, false, &unsteady},
        {"never.dat", "", &never, false},
        {"a.dat", "Alpha\x1b", &reference, true},
        {"Ваша система", "", &equal, false, &unsteady},
    };
    EXPECT_EQ(comparisonSummaryLines(machines, BenchUnit::Milliseconds),
              (std::vector<std::string>{
                  "Index in milliseconds: the reference is 100, higher is faster (geometric mean "
                  "over the tests both ran)",
                  "Machine       CPU     Index  Tests  Real  Inconclusive  Run",
                  "a.dat         Alpha?  100.0  10     ref   ref",
                  "Ваша система          100.0  9      1     3             unsteady",
                  "b.dat         Beta    90.9   10     8     2             unsteady, slow phase",
                  "never.dat             -      0      0     0",
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
        {"real", {.ratio = 1.10345, .verdict = Verdict::Real}, false, "1.103"},
        {"within the floor", {.ratio = 1.0214, .verdict = Verdict::Within}, false, "≈1.021"},
        {"inconclusive", {.ratio = 1.0481, .verdict = Verdict::Inconclusive}, false, "?1.048"},
        {"no ratio", {}, false, ""},
        {"the reference", {.ratio = 1.0}, true, "ref"},
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
