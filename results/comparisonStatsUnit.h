#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// Whether two machines really differ, test by test, and one figure per machine.
//
// The ten calls of one run share its moment: whole runs of one machine differ by several per
// cent while one run's calls agree far more closely, so a rank test over the calls alone calls
// most differences between two runs of the same machine real. A difference therefore counts as
// real only when both hold: the two-sided Mann–Whitney U test over the two machines' passed calls
// rejects equal distributions at kSignificanceLevel, and the two bests lie further apart than the
// run-to-run floor (kRunToRunFloor, or the spread measured from repeated runs).

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "results/cpuRecordUnit.h"
#include "results/cpubenchUnit.h"

inline constexpr double kSignificanceLevel = 0.05;
// How far apart whole runs of one unchanged machine may lie, as a fraction of the smaller best:
// measured 3–8 % on a 2-vCPU virtual machine, so 5 % with repeated runs the better guide.
inline constexpr double kRunToRunFloor = 0.05;

// The two-sided Mann–Whitney U test of samples `a` and `b` (either order). Exact when no value
// is shared and both samples hold at most kExactRankTestLimit values; otherwise the normal
// approximation with the tie correction and a continuity correction of ½. A sample that is empty,
// or values that are all equal, give a p-value of 1.
struct RankTest {
    double u = 0;  // U of `a`: the pairs (x of a, y of b) with x > y, a tie counting ½
    double pValue = 1;
    bool exact = false;
};
inline constexpr std::size_t kExactRankTestLimit = 50;
RankTest mannWhitneyU(std::span<const double> a, std::span<const double> b);

// One test of one machine against the reference, in the chosen unit.
struct TestComparison {
    std::optional<double> ratio;    // the machine's best / the reference's best; empty when either
                                    // test failed or either best is 0
    double pValue = 1;              // of the U test over the two machines' passed calls
    double floor = kRunToRunFloor;  // the run-to-run floor this pair was held to
    bool significant = false;       // U test and floor both say the difference is real
};

// One machine against the reference: per test, and the geometric mean of reference best /
// machine best over the tests both have a ratio for, × 100 (the reference is 100, higher is
// faster); empty when they have no such test.
struct MachineComparison {
    std::array<TestComparison, kTestCount> tests;
    std::optional<double> index;
    int testsInIndex = 0;
};

// Per test, the run-to-run spread of a machine measured from repeated runs (the largest best over
// the smallest, minus 1); empty where it was not measured.
using MeasuredFloors = std::array<std::optional<double>, kTestCount>;

// A machine to compare: its results and its measured floors.
struct ComparedMachine {
    const ResultTable* results = nullptr;
    MeasuredFloors floors{};
};

// The floor a pair is held to: the larger of the two machines' floors, each its measured spread
// where it has one, kRunToRunFloor where not.
double pairFloor(const std::optional<double>& machine, const std::optional<double>& reference);

// `machine` against `reference` in `unit`.
MachineComparison compareMachine(const ComparedMachine& machine, const ComparedMachine& reference,
                                 BenchUnit unit);

// The spread of the bests of the runs in `group` (one machine's repeated runs), per test over
// the runs that passed it in `unit`; measured where at least two runs passed.
MeasuredFloors measuredFloors(std::span<const ResultTable* const> group, BenchUnit unit);

// The measured floors of every record of `records`: the records of one file that follow one
// another with the same four descriptions are repeated runs of one machine and share the floors
// of their group; a record alone in its group has none. `files` as loadResultFolder gives them.
std::vector<MeasuredFloors> repeatedRunFloors(const std::deque<TCpuRecord>& records,
                                              const std::vector<ResultFileRecords>& files,
                                              BenchUnit unit);
