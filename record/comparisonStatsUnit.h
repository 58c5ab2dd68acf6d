#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// Whether two machines really differ, test by test, and one figure per machine.
//
// The ten calls of one run share its moment: whole runs of one machine differ by several per
// cent while one run's calls agree far more closely, and a virtual machine's host has slow
// phases that move a whole test. So a rank test over the calls alone calls most differences
// between two runs of the same machine real, and a 5 % test on each of ten tests gives a 40 %
// chance of at least one false alarm per comparison. A test's verdict therefore weighs three
// things:
// - the family: the ten tests of one comparison are one family whose false-alarm rate is held to
//   kSignificanceLevel (Holm's adjustment of the Mann–Whitney p-values over the clean calls);
// - the size: the Hodges–Lehmann interval of the ratio, at the family's level (99.5 % for ten
//   tests), must lie wholly beyond the run-to-run floor for a real difference, and wholly within
//   it for "≈"; an interval across the floor's edge cannot tell;
// - the record's quality, where its run report says it: fewer than kMinimumCleanCalls clean calls
//   on a side, a run that called the test unsteady, or a run slower than its own machine's best
//   on record make the test inconclusive.

#include <array>
#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "record/cpuRecordUnit.h"
#include "record/rankStatsUnit.h"
#include "record/recordQualityUnit.h"
#include "results/cpubenchUnit.h"

// The family's false-alarm rate over the ten tests of one comparison.
inline constexpr double kSignificanceLevel = 0.05;
// The confidence of each test's interval: the family's level shared among its ten tests.
inline constexpr double kIntervalConfidence = 1 - kSignificanceLevel / kTestCount;
// How far apart whole runs of one unchanged machine may lie, as a fraction of the smaller best:
// measured 3–8 % on a 2-vCPU virtual machine, so 5 % with repeated runs the better guide.
inline constexpr double kRunToRunFloor = 0.05;
// The fewest clean calls a side needs: with five and five no ordering reaches 99.5 %.
inline constexpr int kMinimumCleanCalls = 6;

// What was decided of one test.
enum class Verdict {
    NotCompared,   // either machine failed the test or never ran it
    Real,          // the interval lies wholly beyond the floor
    Within,        // the interval lies wholly within the floor ("≈")
    Inconclusive,  // see the reason
};

enum class InconclusiveReason {
    None,
    FewCleanCalls,         // fewer than kMinimumCleanCalls clean calls on a side
    UnsteadyRun,           // a record's run called the test unsteady
    SlowerThanItsMachine,  // a record's best lies beyond the floor above its machine's best
    IntervalAcrossFloor,   // the interval reaches across the floor's edge
};

// The reason's fixed id for scripts: "few-clean-calls", "unsteady-run", "slower-than-its-machine",
// "interval-across-floor"; empty for None.
const char* reasonId(InconclusiveReason reason);

// One test of one machine against the reference, in the chosen unit.
struct TestComparison {
    std::optional<double> ratio{};  // the machine's best / the reference's best; empty when either
                                    // test failed or either best is 0
    double pValue = 1;              // of the U test over the two machines' clean calls
    double adjustedPValue = 1;      // Holm's, over the comparison's ten tests
    std::optional<double> estimate{};     // the Hodges–Lehmann ratio of the clean calls
    std::optional<double> low{}, high{};  // its interval at kIntervalConfidence, as ratios
    double floor = kRunToRunFloor;        // the run-to-run floor this pair was held to
    int cleanCalls = 0, referenceCleanCalls = 0;
    // How far the machine's best lies above its own machine's best on record, where beyond its
    // floor (see behindTheirMachines).
    std::optional<double> behind{};
    Verdict verdict = Verdict::NotCompared;
    InconclusiveReason reason = InconclusiveReason::None;
    bool significant = false;  // verdict == Real
    // Real: true when the machine is the faster (from the interval, which decided).
    bool faster = false;
};

// One machine against the reference: per test, and the geometric mean of reference best /
// machine best over the tests both have a ratio for, × 100 (the reference is 100, higher is
// faster); empty when they have no such test.
struct MachineComparison {
    std::array<TestComparison, kTestCount> tests;
    std::optional<double> index;
    int testsInIndex = 0;

    int count(Verdict verdict) const;
};

// Per test, the run-to-run spread of a machine measured from repeated runs (the largest best over
// the smallest, minus 1); empty where it was not measured.
using MeasuredFloors = std::array<std::optional<double>, kTestCount>;

// Per test, how far a record's best lies above its machine's best on record (best / machine best
// − 1), where that is beyond the record's floor; empty elsewhere.
using BehindItsMachine = std::array<std::optional<double>, kTestCount>;

// A machine to compare: its results, its measured floors and what its run report says.
struct ComparedMachine {
    const ResultTable* results = nullptr;
    MeasuredFloors floors{};
    const RecordQuality* quality = nullptr;  // null without a report
    BehindItsMachine behind{};
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

// A run of a machine known from its report, for behindTheirMachines: `id` is the caller's.
struct MachineRun {
    std::size_t id = 0;
    const ResultTable* results = nullptr;
    const RecordQuality* quality = nullptr;  // its host and processor name its machine
    const MeasuredFloors* floors = nullptr;  // null: none measured
};

// The runs of `runs` that one machine made (the same host and processor in their reports, never
// the descriptions a user typed) are held against that machine's best on record, test by test:
// a run whose best lies further above the best of its machine's runs than its floor (its
// measured floor, or kRunToRunFloor, or the spread of its own calls where larger) made that
// test in a slow phase of its host. Gives the flagged runs by id; a run without a known machine,
// or alone on its machine, is never flagged. A first run made in a slow phase is seen once
// later runs exist.
std::unordered_map<std::size_t, BehindItsMachine> behindTheirMachines(
    std::span<const MachineRun> runs, BenchUnit unit);
