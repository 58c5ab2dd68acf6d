// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/comparisonStatsUnit.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

namespace {

// The best of test `test` in `unit`; none when the test failed or its best is 0.
std::optional<double> bestOf(const ResultTable& results, int test, BenchUnit unit) {
    const TestSummary summary = summariseTest(results, test);
    const auto best = unit == BenchUnit::Cycles ? summary.bestCycles : summary.bestMilliseconds;
    if (!best || *best == 0) return std::nullopt;
    return *best;
}

// The logarithms of the calls of test `test` that passed, are above 0 and were not disturbed.
std::vector<double> cleanLogs(const ResultTable& results, int test, BenchUnit unit,
                              const RecordQuality* quality) {
    const ResultRow& cycles = cycleRow(results, test);
    const ResultRow& milliseconds = millisecondRow(results, test);
    const ResultRow& row = unit == BenchUnit::Cycles ? cycles : milliseconds;
    const std::uint16_t disturbed =
        quality != nullptr ? quality->disturbedCalls[static_cast<std::size_t>(test)] : 0;
    std::vector<double> logs;
    for (std::size_t column = 0; column < row.size(); ++column) {
        const bool failed = cycles[column] == 0 && milliseconds[column] == 0;
        if (failed || row[column] == 0 || ((disturbed >> column) & 1U) != 0) continue;
        logs.push_back(std::log(static_cast<double>(row[column])));
    }
    return logs;
}

std::optional<double> ownSpread(const RecordQuality* quality, std::size_t test) {
    return quality != nullptr ? quality->spreads[test] : std::nullopt;
}

// The record's own floor for one test: its measured run-to-run floor or kRunToRunFloor, and
// the spread of its own calls where that is larger.
double recordFloor(const std::optional<double>& measured, const RecordQuality* quality,
                   std::size_t test) {
    return std::max(measured.value_or(kRunToRunFloor), ownSpread(quality, test).value_or(0));
}

bool sameDescriptions(const TCpuRecord& a, const TCpuRecord& b) {
    const auto same = [](const TDescription& x, const TDescription& y) {
        return descriptionBytes(x) == descriptionBytes(y);
    };
    return same(a.Cpu, b.Cpu) && same(a.Fsb, b.Fsb) && same(a.Memory, b.Memory) && same(a.Os, b.Os);
}

// The reason a test cannot be decided before its interval is looked at.
InconclusiveReason qualityReason(const TestComparison& result, const ComparedMachine& machine,
                                 const ComparedMachine& reference, std::size_t test) {
    const auto unsteady = [&](const ComparedMachine& side) {
        return side.quality != nullptr && side.quality->unsteady[test];
    };
    if (result.cleanCalls < kMinimumCleanCalls || result.referenceCleanCalls < kMinimumCleanCalls)
        return InconclusiveReason::FewCleanCalls;
    if (unsteady(machine) || unsteady(reference)) return InconclusiveReason::UnsteadyRun;
    if (machine.behind[test] || reference.behind[test])
        return InconclusiveReason::SlowerThanItsMachine;
    return InconclusiveReason::None;
}

// Decides a test whose calls and records allow it, from its interval and adjusted p-value.
void decide(TestComparison& result) {
    const double edge = std::log1p(result.floor);
    if (!result.low || !result.high) {
        result.verdict = Verdict::Inconclusive;
        result.reason = InconclusiveReason::FewCleanCalls;
        return;
    }
    const double low = std::log(*result.low), high = std::log(*result.high);
    if ((low > edge || high < -edge) && result.adjustedPValue < kSignificanceLevel) {
        result.verdict = Verdict::Real;
        result.significant = true;
        result.faster = high < -edge;
    } else if (low >= -edge && high <= edge) {
        result.verdict = Verdict::Within;
    } else {
        result.verdict = Verdict::Inconclusive;
        result.reason = InconclusiveReason::IntervalAcrossFloor;
    }
}

}  // namespace

const char* reasonId(InconclusiveReason reason) {
    switch (reason) {
        case InconclusiveReason::FewCleanCalls:
            return "few-clean-calls";
        case InconclusiveReason::UnsteadyRun:
            return "unsteady-run";
        case InconclusiveReason::SlowerThanItsMachine:
            return "slower-than-its-machine";
        case InconclusiveReason::IntervalAcrossFloor:
            return "interval-across-floor";
        case InconclusiveReason::None:
            break;
    }
    return "";
}

int MachineComparison::count(Verdict verdict) const {
    return static_cast<int>(std::count_if(
        tests.begin(), tests.end(), [&](const TestComparison& t) { return t.verdict == verdict; }));
}

double pairFloor(const std::optional<double>& machine, const std::optional<double>& reference) {
    return std::max(machine.value_or(kRunToRunFloor), reference.value_or(kRunToRunFloor));
}

MachineComparison compareMachine(const ComparedMachine& machine, const ComparedMachine& reference,
                                 BenchUnit unit) {
    MachineComparison comparison;
    double logSum = 0;
    std::array<double, kTestCount> pValues{};
    pValues.fill(1.0);
    for (int test = 0; test < kTestCount; ++test) {
        const auto at = static_cast<std::size_t>(test);
        TestComparison& result = comparison.tests[at];
        result.floor = std::max(recordFloor(machine.floors[at], machine.quality, at),
                                recordFloor(reference.floors[at], reference.quality, at));
        const std::optional<double> best = bestOf(*machine.results, test, unit);
        const std::optional<double> referenceBest = bestOf(*reference.results, test, unit);
        if (!best || !referenceBest) continue;
        const double ratio = *best / *referenceBest;
        result.ratio = ratio;
        logSum += std::log(ratio);
        ++comparison.testsInIndex;

        const std::vector<double> clean = cleanLogs(*machine.results, test, unit, machine.quality);
        const std::vector<double> referenceClean =
            cleanLogs(*reference.results, test, unit, reference.quality);
        result.cleanCalls = static_cast<int>(clean.size());
        result.referenceCleanCalls = static_cast<int>(referenceClean.size());
        result.pValue = mannWhitneyU(clean, referenceClean).pValue;
        pValues[at] = result.pValue;
        if (const auto shift = hodgesLehmannShift(clean, referenceClean, kIntervalConfidence)) {
            result.estimate = std::exp(shift->estimate);
            if (shift->low) {
                result.low = std::exp(*shift->low);
                result.high = std::exp(*shift->high);
            }
        }
        result.behind = machine.behind[at];
        result.reason = qualityReason(result, machine, reference, at);
        result.verdict = Verdict::Inconclusive;
    }
    const std::vector<double> adjusted = holmAdjusted(pValues, kTestCount);
    for (std::size_t test = 0; test < comparison.tests.size(); ++test) {
        TestComparison& result = comparison.tests[test];
        result.adjustedPValue = adjusted[test];
        if (result.ratio && result.reason == InconclusiveReason::None) decide(result);
    }
    if (comparison.testsInIndex > 0)
        comparison.index = 100 * std::exp(-logSum / comparison.testsInIndex);
    return comparison;
}

MeasuredFloors measuredFloors(std::span<const ResultTable* const> group, BenchUnit unit) {
    MeasuredFloors floors{};
    for (int test = 0; test < kTestCount; ++test) {
        std::vector<double> bests;
        for (const ResultTable* results : group) {
            if (const std::optional<double> best = bestOf(*results, test, unit))
                bests.push_back(*best);
        }
        if (bests.size() < 2) continue;
        const auto [smallest, largest] = std::minmax_element(bests.begin(), bests.end());
        floors[static_cast<std::size_t>(test)] = *largest / *smallest - 1;
    }
    return floors;
}

std::vector<MeasuredFloors> repeatedRunFloors(const std::deque<TCpuRecord>& records,
                                              const std::vector<ResultFileRecords>& files,
                                              BenchUnit unit) {
    std::vector<MeasuredFloors> floors(records.size());
    for (const ResultFileRecords& file : files) {
        const std::size_t end = std::min(records.size(), file.first + file.count);
        for (std::size_t first = file.first; first < end;) {
            std::size_t last = first + 1;
            while (last < end && sameDescriptions(records[first], records[last])) ++last;
            if (last - first >= 2) {
                std::vector<const ResultTable*> group;
                for (std::size_t record = first; record < last; ++record)
                    group.push_back(&records[record].Results);
                const MeasuredFloors groupFloors = measuredFloors(group, unit);
                std::fill(floors.begin() + static_cast<std::ptrdiff_t>(first),
                          floors.begin() + static_cast<std::ptrdiff_t>(last), groupFloors);
            }
            first = last;
        }
    }
    return floors;
}

std::unordered_map<std::size_t, BehindItsMachine> behindTheirMachines(
    std::span<const MachineRun> runs, BenchUnit unit) {
    std::map<std::pair<std::string, std::string>, std::vector<const MachineRun*>> machines;
    for (const MachineRun& run : runs)
        if (run.quality != nullptr && run.quality->machineKnown())
            machines[{run.quality->host, run.quality->processor}].push_back(&run);
    std::unordered_map<std::size_t, BehindItsMachine> behind;
    for (const auto& [machine, group] : machines) {
        if (group.size() < 2) continue;
        for (int test = 0; test < kTestCount; ++test) {
            const auto at = static_cast<std::size_t>(test);
            std::vector<double> bests;
            for (const MachineRun* run : group) {
                bests.push_back(bestOf(*run->results, test, unit).value_or(0));
            }
            double machineBest = 0;
            for (const double best : bests)
                if (best > 0 && (machineBest == 0 || best < machineBest)) machineBest = best;
            if (machineBest == 0) continue;
            for (std::size_t index = 0; index < group.size(); ++index) {
                const MachineRun& run = *group[index];
                static const MeasuredFloors kNoneMeasured{};
                const MeasuredFloors& measured =
                    run.floors != nullptr ? *run.floors : kNoneMeasured;
                const double slower = bests[index] / machineBest - 1;
                if (bests[index] > 0 && slower > recordFloor(measured[at], run.quality, at))
                    behind[run.id][at] = slower;
            }
        }
    }
    return behind;
}
