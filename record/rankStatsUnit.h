#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// Rank statistics of two small samples, as the comparison needs them: the Mann–Whitney U test,
// the Hodges–Lehmann shift between the samples with its distribution-free confidence interval,
// and Holm's adjustment of a family of p-values. For ten calls a side the exact distributions
// are a few hundred numbers, so nothing here approximates where it need not.

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

// The number of orderings of n values of one sample and m of the other (no value shared) with
// U = u, for every u from 0 to n·m. Their sum is (n+m choose n).
std::vector<double> rankOrderCounts(std::size_t n, std::size_t m);

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

// The Hodges–Lehmann estimate of the shift of `a` over `b` (the median of the n·m differences
// a_i − b_j) and its two-sided interval at `confidence` (0.995: 99.5 %): from the k-th smallest
// to the k-th largest difference, k the largest count with P(U < k) ≤ (1 − confidence) / 2 under
// no shift, from the exact distribution up to kExactRankTestLimit values a side, from the normal
// one beyond. Shared values leave the bounds as they are (the interval is then slightly wider
// than it needs to be). No interval when the samples are too small for that confidence (five
// and five at 99.5 %); nothing at all when a sample is empty.
struct ShiftInterval {
    double estimate = 0;
    std::optional<double> low, high;  // both or neither
};
std::optional<ShiftInterval> hodgesLehmannShift(std::span<const double> a,
                                                std::span<const double> b, double confidence);

// Holm's step-down adjustment of `pValues` as one family of `familySize` hypotheses (at least as
// many as given; the rest count as never rejected): each adjusted p-value is the smallest family
// level at which Holm's procedure rejects its hypothesis, at most 1. In the given order.
std::vector<double> holmAdjusted(std::span<const double> pValues, std::size_t familySize);
