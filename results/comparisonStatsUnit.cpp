// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/comparisonStatsUnit.h"

#include <algorithm>
#include <cmath>

namespace {

// The number of orderings of n values of one sample and m of the other with U = u, for every u
// from 0 to n·m: the coefficients of the Gaussian binomial [n+m choose n], built as the product
// of (1 − q^(m+k)) / (1 − q^k) for k = 1..n.
std::vector<double> uCounts(std::size_t n, std::size_t m) {
    std::vector<double> counts(n * m + 1, 0.0);
    counts[0] = 1;
    for (std::size_t k = 1; k <= n; ++k) {
        for (std::size_t u = counts.size() - 1; u >= m + k && u < counts.size(); --u)
            counts[u] -= counts[u - m - k];
        for (std::size_t u = k; u < counts.size(); ++u) counts[u] += counts[u - k];
    }
    return counts;
}

double exactPValue(double u, std::size_t n, std::size_t m) {
    const std::vector<double> counts = uCounts(n, m);
    const double lower = std::min(u, static_cast<double>(n * m) - u);
    double total = 0, atOrBelow = 0;
    for (std::size_t value = 0; value < counts.size(); ++value) {
        total += counts[value];
        if (static_cast<double>(value) <= lower) atOrBelow += counts[value];
    }
    return std::min(1.0, 2 * atOrBelow / total);
}

// The best (smallest) passed value of test `test` in `unit`, and the passed values themselves.
std::vector<double> passedValues(const ResultTable& results, int test, BenchUnit unit) {
    const ResultRow& cycles = cycleRow(results, test);
    const ResultRow& milliseconds = millisecondRow(results, test);
    const std::vector<int> failed = failedRuns(cycles, milliseconds);
    const std::vector<std::uint32_t> values =
        passedRunValues(unit == BenchUnit::Cycles ? cycles : milliseconds, failed);
    return {values.begin(), values.end()};
}

bool sameDescriptions(const TCpuRecord& a, const TCpuRecord& b) {
    const auto same = [](const TDescription& x, const TDescription& y) {
        return descriptionBytes(x) == descriptionBytes(y);
    };
    return same(a.Cpu, b.Cpu) && same(a.Fsb, b.Fsb) && same(a.Memory, b.Memory) && same(a.Os, b.Os);
}

}  // namespace

RankTest mannWhitneyU(std::span<const double> a, std::span<const double> b) {
    RankTest test;
    const std::size_t n = a.size(), m = b.size();
    if (n == 0 || m == 0) return test;
    std::vector<double> all(a.begin(), a.end());
    all.insert(all.end(), b.begin(), b.end());
    std::sort(all.begin(), all.end());
    // Rank sum of `a` with mid-ranks for ties, and the tie term Σ(t³ − t).
    double rankSum = 0, tieTerm = 0;
    for (const double x : a) {
        const auto below = std::lower_bound(all.begin(), all.end(), x) - all.begin();
        const auto upTo = std::upper_bound(all.begin(), all.end(), x) - all.begin();
        rankSum += static_cast<double>(below + upTo + 1) / 2;
    }
    for (auto run = all.begin(); run != all.end();) {
        const auto next = std::upper_bound(run, all.end(), *run);
        const auto t = static_cast<double>(next - run);
        tieTerm += t * t * t - t;
        run = next;
    }
    const auto nd = static_cast<double>(n), md = static_cast<double>(m), total = nd + md;
    test.u = rankSum - nd * (nd + 1) / 2;
    if (tieTerm == 0 && n <= kExactRankTestLimit && m <= kExactRankTestLimit) {
        test.exact = true;
        test.pValue = exactPValue(test.u, n, m);
        return test;
    }
    const double variance = nd * md / 12 * ((total + 1) - tieTerm / (total * (total - 1)));
    if (variance <= 0) return test;
    const double z = std::max(0.0, std::abs(test.u - nd * md / 2) - 0.5) / std::sqrt(variance);
    test.pValue = std::min(1.0, std::erfc(z / std::sqrt(2.0)));
    return test;
}

double pairFloor(const std::optional<double>& machine, const std::optional<double>& reference) {
    return std::max(machine.value_or(kRunToRunFloor), reference.value_or(kRunToRunFloor));
}

MachineComparison compareMachine(const ComparedMachine& machine, const ComparedMachine& reference,
                                 BenchUnit unit) {
    MachineComparison comparison;
    double logSum = 0;
    for (int test = 0; test < kTestCount; ++test) {
        TestComparison& result = comparison.tests[static_cast<std::size_t>(test)];
        const std::vector<double> calls = passedValues(*machine.results, test, unit);
        const std::vector<double> referenceCalls = passedValues(*reference.results, test, unit);
        result.floor = pairFloor(machine.floors[static_cast<std::size_t>(test)],
                                 reference.floors[static_cast<std::size_t>(test)]);
        if (calls.empty() || referenceCalls.empty() || calls.front() == 0 ||
            referenceCalls.front() == 0)
            continue;
        const double ratio = calls.front() / referenceCalls.front();
        result.ratio = ratio;
        result.pValue = mannWhitneyU(calls, referenceCalls).pValue;
        result.significant =
            result.pValue < kSignificanceLevel && std::max(ratio, 1 / ratio) - 1 > result.floor;
        logSum += std::log(ratio);
        ++comparison.testsInIndex;
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
            const std::vector<double> calls = passedValues(*results, test, unit);
            if (!calls.empty() && calls.front() > 0) bests.push_back(calls.front());
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
