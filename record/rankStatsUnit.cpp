// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/rankStatsUnit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

double exactPValue(double u, std::size_t n, std::size_t m) {
    const std::vector<double> counts = rankOrderCounts(n, m);
    const double lower = std::min(u, static_cast<double>(n * m) - u);
    double total = 0, atOrBelow = 0;
    for (std::size_t value = 0; value < counts.size(); ++value) {
        total += counts[value];
        if (static_cast<double>(value) <= lower) atOrBelow += counts[value];
    }
    return std::min(1.0, 2 * atOrBelow / total);
}

// The two-sided tail of the standard normal distribution beyond ±z.
double twoSidedNormalTail(double z) { return std::erfc(z / std::sqrt(2.0)); }

// The z whose two-sided normal tail is `tail` (0 < tail < 1), by bisection: the tail falls
// monotonically, and 60 halvings of [0, 40] leave less than 1e-16 of doubt.
double normalQuantileOfTail(double tail) {
    double low = 0, high = 40;
    for (int step = 0; step < 60; ++step) {
        const double middle = (low + high) / 2;
        (twoSidedNormalTail(middle) > tail ? low : high) = middle;
    }
    return (low + high) / 2;
}

// How many of the smallest differences the interval leaves out on each side.
std::size_t boundRank(std::size_t n, std::size_t m, double confidence) {
    const double halfTail = (1 - confidence) / 2;
    const auto pairs = static_cast<double>(n * m);
    if (n > kExactRankTestLimit || m > kExactRankTestLimit) {
        const double spread = std::sqrt(pairs * static_cast<double>(n + m + 1) / 12);
        const double k = std::floor(pairs / 2 - normalQuantileOfTail(2 * halfTail) * spread);
        return k > 0 ? static_cast<std::size_t>(k) : 0;
    }
    const std::vector<double> counts = rankOrderCounts(n, m);
    const double total = std::accumulate(counts.begin(), counts.end(), 0.0);
    std::size_t k = 0;
    double below = 0;  // orderings with U < k
    while (k < counts.size() && (below + counts[k]) / total <= halfTail) below += counts[k++];
    return k;
}

}  // namespace

std::vector<double> rankOrderCounts(std::size_t n, std::size_t m) {
    // The coefficients of the Gaussian binomial [n+m choose n], built as the product of
    // (1 − q^(m+k)) / (1 − q^k) for k = 1..n.
    std::vector<double> counts(n * m + 1, 0.0);
    counts[0] = 1;
    for (std::size_t k = 1; k <= n; ++k) {
        for (std::size_t u = counts.size() - 1; u >= m + k && u < counts.size(); --u)
            counts[u] -= counts[u - m - k];
        for (std::size_t u = k; u < counts.size(); ++u) counts[u] += counts[u - k];
    }
    return counts;
}

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
    test.pValue = std::min(1.0, twoSidedNormalTail(z));
    return test;
}

std::optional<ShiftInterval> hodgesLehmannShift(std::span<const double> a,
                                                std::span<const double> b, double confidence) {
    if (a.empty() || b.empty()) return std::nullopt;
    std::vector<double> differences;
    differences.reserve(a.size() * b.size());
    for (const double x : a)
        for (const double y : b) differences.push_back(x - y);
    std::sort(differences.begin(), differences.end());
    const std::size_t count = differences.size();
    ShiftInterval shift;
    shift.estimate = count % 2 == 1 ? differences[count / 2]
                                    : (differences[count / 2 - 1] + differences[count / 2]) / 2;
    const std::size_t k = boundRank(a.size(), b.size(), confidence);
    if (k >= 1 && k <= count - k + 1) {
        shift.low = differences[k - 1];
        shift.high = differences[count - k];
    }
    return shift;
}

std::vector<double> holmAdjusted(std::span<const double> pValues, std::size_t familySize) {
    const std::size_t family = std::max(familySize, pValues.size());
    std::vector<std::size_t> order(pValues.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t x, std::size_t y) { return pValues[x] < pValues[y]; });
    std::vector<double> adjusted(pValues.size(), 1.0);
    double largest = 0;  // the step-down keeps the adjusted values in the order of the raw ones
    for (std::size_t step = 0; step < order.size(); ++step) {
        const double scaled = static_cast<double>(family - step) * pValues[order[step]];
        largest = std::max(largest, std::min(1.0, scaled));
        adjusted[order[step]] = largest;
    }
    return adjusted;
}
