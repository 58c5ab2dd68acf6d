#include "record/rankStatsUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Every way of placing n values of one sample among n + m, counted by U, one ordering at a time.
std::vector<double> enumeratedCounts(std::size_t n, std::size_t m) {
    std::vector<double> counts(n * m + 1, 0.0);
    for (unsigned mask = 0; mask < (1U << (n + m)); ++mask) {
        if (static_cast<std::size_t>(__builtin_popcount(mask)) != n) continue;
        std::size_t u = 0, below = 0;  // bit i set: place i holds a value of the first sample
        for (std::size_t place = 0; place < n + m; ++place)
            ((mask >> place) & 1U) != 0 ? u += below : ++below;
        ++counts[u];
    }
    return counts;
}

TEST(RankStats, OrderCountsMatchEveryOrderingEnumerated) {
    const std::pair<std::size_t, std::size_t> sizes[] = {{1, 1}, {2, 3}, {4, 4}, {6, 6}, {3, 8}};
    for (const auto& [n, m] : sizes)
        EXPECT_EQ(rankOrderCounts(n, m), enumeratedCounts(n, m)) << n << " and " << m;
}

struct ShiftCase {
    const char* name;
    std::vector<double> a, b;
    double confidence;
    double estimate;
    std::optional<double> low, high;
};

// The bounds are the k-th smallest and largest of the n·m differences; k was found by enumerating
// all 184,756 orderings of ten and ten (14 at 99.5 %, 17 at 99 %, 24 at 95 %) and of six and six
// (2 at 99.5 %); five and five cannot reach 99.5 % at all.
TEST(RankStats, HodgesLehmannShiftAndItsExactInterval) {
    const std::vector<double> ten = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const std::vector<double> tenUp = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const std::vector<ShiftCase> cases = {
        // Differences of tenUp − ten run from 1 to 19, d = 10 ± j taken 10 − |j| times.
        {"ten over ten at 99.5 %", tenUp, ten, 0.995, 10, 5, 15},
        {"ten over ten at 99 %", tenUp, ten, 0.99, 10, 6, 14},
        {"ten over ten at 95 %", tenUp, ten, 0.95, 10, 7, 13},
        {"six and six at 99.5 %", {10, 11, 12, 13, 14, 15}, {0, 1, 2, 3, 4, 5}, 0.995, 10, 6, 14},
        {"five and five at 99.5 %", {5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}, 0.995, 5, {}, {}},
        {"five and five at 95 %", {5, 6, 7, 8, 9}, {0, 1, 2, 3, 4}, 0.95, 5, 2, 8},
        {"the same sample", ten, ten, 0.995, 0, -5, 5},
    };
    for (const ShiftCase& c : cases) {
        const auto shift = hodgesLehmannShift(c.a, c.b, c.confidence);
        ASSERT_TRUE(shift) << c.name;
        EXPECT_DOUBLE_EQ(shift->estimate, c.estimate) << c.name;
        EXPECT_EQ(shift->low, c.low) << c.name;
        EXPECT_EQ(shift->high, c.high) << c.name;
    }
    EXPECT_FALSE(hodgesLehmannShift({}, ten, 0.95));
}

// Fifty-one values a side leave the exact distribution for the normal one; its bounds stay
// close to the exact ones of fifty.
TEST(RankStats, LargeSamplesTakeTheNormalBounds) {
    std::vector<double> a, b, c, d;
    for (int value = 0; value < 50; ++value) a.push_back(value), b.push_back(value + 100);
    for (int value = 0; value < 51; ++value) c.push_back(value), d.push_back(value + 100);
    const auto exact = hodgesLehmannShift(b, a, 0.995);
    const auto normal = hodgesLehmannShift(d, c, 0.995);
    ASSERT_TRUE(exact && exact->low && normal && normal->low);
    EXPECT_NEAR(*normal->low, *exact->low, 1.5);
    EXPECT_NEAR(*normal->high, *exact->high, 1.5);
}

struct HolmCase {
    const char* name;
    std::vector<double> pValues;
    std::size_t family;
    std::vector<double> adjusted;
};

TEST(RankStats, HolmAdjustsStepDown) {
    const std::vector<HolmCase> cases = {
        {"four, out of order", {0.01, 0.04, 0.03, 0.005}, 4, {0.03, 0.06, 0.06, 0.02}},
        {"two of a family of ten", {0.001, 0.2}, 10, {0.01, 1}},
        {"ties keep their order", {0.02, 0.02}, 2, {0.04, 0.04}},
        {"a family smaller than given counts all given", {0.01, 0.02}, 1, {0.02, 0.02}},
    };
    for (const HolmCase& c : cases) {
        const std::vector<double> adjusted = holmAdjusted(c.pValues, c.family);
        ASSERT_EQ(adjusted.size(), c.adjusted.size()) << c.name;
        for (std::size_t index = 0; index < adjusted.size(); ++index)
            EXPECT_NEAR(adjusted[index], c.adjusted[index], 1e-12) << c.name << " " << index;
    }
}

}  // namespace
