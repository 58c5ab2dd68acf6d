#include "kernel/workAreaUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/fpuEnvironment.h"
#include "transform/yuvCoefficients.h"

namespace {

double doubleAt(const std::uint8_t* table, int index) {
    double value;
    std::memcpy(&value, table + 8 * index, sizeof value);
    return value;
}

TEST(WorkAreaBase, NextMultipleOfSixteenAboveTheStart) {
    EXPECT_EQ(workAreaBaseFor(0x1000), 0x1010u);  // an aligned start moves up by 16
    EXPECT_EQ(workAreaBaseFor(0x1001), 0x1010u);
    EXPECT_EQ(workAreaBaseFor(0x100F), 0x1010u);
    EXPECT_EQ(workAreaBaseFor(0x1010), 0x1020u);
}

// The coefficient slots then the zero slot, and the byte masks, each in address order.
std::array<const std::uint8_t*, 9> coefficientSlots() {
    return {YuvCoefficient0, YuvCoefficient1, YuvCoefficient2, YuvCoefficient3, YuvCoefficient4,
            YuvCoefficient5, YuvCoefficient6, YuvCoefficient7, YuvZeroSlot};
}

std::array<const std::uint8_t*, 10> byteMasks() {
    return {ByteMask0F, ByteMaskF0, ByteMask08, ByteMask04, ByteMask02,
            ByteMask01, ByteMask10, ByteMask20, ByteMask40, ByteMask80};
}

// Every table the kernels reach, with the bytes they read from it.
struct PlacedTable {
    const std::uint8_t* start;
    std::size_t size;
};

std::vector<PlacedTable> placedTables() {
    std::vector<PlacedTable> tables = {
        {TestBuffer1, kTestBufferSize},      {TestBuffer2, kTestBufferSize},
        {TestBuffer3, kTestBufferSize},      {CosTable, 8 * 8 * sizeof(double)},
        {CosTableT, 8 * 8 * sizeof(double)}, {SplatTable, 16 * 16}};
    for (const std::uint8_t* slot : coefficientSlots()) tables.push_back({slot, 16});
    for (const std::uint8_t* mask : byteMasks()) tables.push_back({mask, 16});
    return tables;
}

// The block starts on a page boundary, so the base and every table lie at the same place
// within their pages in every run.
TEST(WorkArea, BlockStartsOnAPageAndTheBaseSixteenBytesIntoIt) {
    ASSERT_NE(KernelWorkAreaBase, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(KernelWorkArea) % 4096, 0u);
    EXPECT_EQ(KernelWorkAreaBase - KernelWorkArea, 16);
}

TEST(WorkArea, EveryTableIsAlignedInsideTheBlockAndApartFromTheOthers) {
    std::vector<PlacedTable> tables = placedTables();
    for (const PlacedTable& table : tables) {
        EXPECT_EQ((table.start - KernelWorkAreaBase) % 16, 0);
        EXPECT_GE(table.start, KernelWorkAreaBase);
        EXPECT_LE(table.start + table.size, KernelWorkArea + kWorkAreaSize);
    }
    std::sort(tables.begin(), tables.end(),
              [](const PlacedTable& a, const PlacedTable& b) { return a.start < b.start; });
    for (std::size_t t = 1; t < tables.size(); ++t)
        EXPECT_LE(tables[t - 1].start + tables[t - 1].size, tables[t].start) << "table " << t;
}

// The kernels and the tests below reach slot m as the first slot + 16 m, and likewise mask m.
TEST(WorkArea, CoefficientSlotsAndByteMasksEachFollowTheOneBefore) {
    const auto slots = coefficientSlots();
    for (std::size_t slot = 1; slot < slots.size(); ++slot)
        EXPECT_EQ(slots[slot], slots[slot - 1] + 16) << "slot " << slot;
    const auto masks = byteMasks();
    for (std::size_t mask = 1; mask < masks.size(); ++mask)
        EXPECT_EQ(masks[mask], masks[mask - 1] + 16) << "mask " << mask;
}

TEST(WorkArea, SecondBuildKeepsTheFirstArea) {
    std::uint8_t* const area = KernelWorkArea;
    BuildKernelWorkArea();
    EXPECT_EQ(KernelWorkArea, area);
}

// What kernels wrote into the area is gone after a rebuild, and nothing has moved. The area is
// the process's own, and tests before this one may have run kernels on it: the fresh area to
// compare with is the one a rebuild gives.
TEST(WorkArea, RebuildWritesAFreshAreaInPlace) {
    BuildKernelWorkArea();
    RebuildKernelWorkArea();
    const std::vector<std::uint8_t> fresh(KernelWorkArea, KernelWorkArea + kWorkAreaSize);
    std::uint8_t* const buffer = TestBuffer1;
    const std::uint8_t* const splat = SplatTable;
    std::memset(KernelWorkArea, 0xA5, kWorkAreaSize);
    RebuildKernelWorkArea();
    EXPECT_TRUE(std::equal(fresh.begin(), fresh.end(), KernelWorkArea));
    EXPECT_EQ(TestBuffer1, buffer);
    EXPECT_EQ(SplatTable, splat);
}

TEST(WorkArea, TablesHoldTheirConstants) {
    // The slots the SSE2 kernel reads for each plane's red, green and blue weights.
    const std::uint8_t* const slotsOf[3][3] = {{YuvCoefficient0, YuvCoefficient1, YuvCoefficient2},
                                               {YuvCoefficient3, YuvCoefficient4, YuvCoefficient5},
                                               {YuvCoefficient5, YuvCoefficient6, YuvCoefficient7}};
    const double weights[3][3] = {{YUV_Y_RED, YUV_Y_GREEN, YUV_Y_BLUE},
                                  {YUV_CB_RED, YUV_CB_GREEN, YUV_CB_BLUE},
                                  {YUV_CR_RED, YUV_CR_GREEN, YUV_CR_BLUE}};
    for (int plane = 0; plane < 3; ++plane) {
        for (int colour = 0; colour < 3; ++colour) {
            EXPECT_EQ(doubleAt(slotsOf[plane][colour], 0), weights[plane][colour]);
            EXPECT_EQ(doubleAt(slotsOf[plane][colour], 1), weights[plane][colour]);
        }
    }
    EXPECT_EQ(doubleAt(YuvZeroSlot, 0), 0.0);
    EXPECT_EQ(doubleAt(YuvZeroSlot, 1), 0.0);
    const std::uint8_t maskValues[] = {0x0F, 0xF0, 0x08, 0x04, 0x02, 0x01, 0x10, 0x20, 0x40, 0x80};
    for (int mask = 0; mask < 10; ++mask)
        for (int byte = 0; byte < 16; ++byte)
            EXPECT_EQ(ByteMask0F[16 * mask + byte], maskValues[mask]);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(SplatTable[i], i / 16);
}

TEST(WorkArea, CosineTablesAreTheOrthonormalBasisAndItsTranspose) {
    EXPECT_DOUBLE_EQ(doubleAt(CosTable, 0), 0.35355339059327373);
    EXPECT_DOUBLE_EQ(doubleAt(CosTable, 8 * 1 + 0), 0.4903926402016152);
    EXPECT_DOUBLE_EQ(doubleAt(CosTable, 8 * 1 + 7), -0.4903926402016152);
    EXPECT_DOUBLE_EQ(doubleAt(CosTable, 8 * 4 + 1), -0.3535533905932738);
    for (int u = 0; u < 8; ++u) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(doubleAt(CosTableT, 8 * x + u), doubleAt(CosTable, 8 * u + x));
            double dot = 0;  // rows are orthonormal
            for (int k = 0; k < 8; ++k)
                dot += doubleAt(CosTable, 8 * u + k) * doubleAt(CosTable, 8 * x + k);
            EXPECT_NEAR(dot, u == x ? 1.0 : 0.0, 1e-12);
        }
    }
}

// cos(m π / 16) in the extended format by a route of its own, nested square roots
// (cos(π/16) = √(2 + √(2 + √2)) / 2, ...), beside the table's cosine. Only inside an
// ExtendedPrecisionScope.
long double cosineOfSixteenthsOfPi(int m) {
    m %= 32;
    if (m > 16) m = 32 - m;
    if (m > 8) return -cosineOfSixteenthsOfPi(16 - m);
    const long double root2 = std::sqrt(2.0L);
    const long double halfRoots[9] = {2,
                                      std::sqrt(2 + std::sqrt(2 + root2)),
                                      std::sqrt(2 + root2),
                                      std::sqrt(2 + std::sqrt(2 - root2)),
                                      root2,
                                      std::sqrt(2 - std::sqrt(2 - root2)),
                                      std::sqrt(2 - root2),
                                      std::sqrt(2 - std::sqrt(2 + root2)),
                                      0};
    return halfRoots[m] / 2;
}

TEST(WorkArea, CosineTablesHoldEveryEntryRoundedOnceFromTheExtendedFormat) {
    const platform::ExtendedPrecisionScope extendedPrecision;
    for (int u = 0; u < 8; ++u) {
        for (int x = 0; x < 8; ++x) {
            const double expected =
                static_cast<double>(0.5L * cosineOfSixteenthsOfPi(u == 0 ? 4 : (2 * x + 1) * u));
            EXPECT_EQ(doubleAt(CosTable, 8 * u + x), expected) << u << ", " << x;
            EXPECT_EQ(doubleAt(CosTableT, 8 * x + u), expected) << u << ", " << x;
        }
    }
    EXPECT_EQ(doubleAt(CosTable, 8 * 1 + 0), 0.4903926402016152);
    EXPECT_EQ(doubleAt(CosTable, 8 * 1 + 7), -0.4903926402016152);
    EXPECT_EQ(doubleAt(CosTable, 8 * 4 + 1), -0.3535533905932738);
}

TEST(WorkArea, ExtendedPrecisionScopeGivesBackTheProgramsControlWord) {
    {
        const platform::ExtendedPrecisionScope extendedPrecision;
        volatile long double huge = 1e4000L;
        huge = huge * huge;  // overflows: masked inside the scope, its flag cleared on leaving
    }
    EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
    volatile long double next = 1.5L;  // a pending overflow would fault here
    next = next * 2;
    EXPECT_TRUE(next == 3.0L);
}

// Kernel tests work on buffers of their own, so the data buffer still holds the start-up fill.
TEST(WorkArea, DataBufferHoldsTheGeneratorOutputFromItsFirstByteToItsLast) {
    const std::uint8_t first[] = {0, 8, 220, 51, 69, 171, 81, 41};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(TestBuffer3[i], first[i]);
    WorkAreaRandom generator;
    for (std::size_t i = 0; i < kTestBufferSize; ++i)
        ASSERT_EQ(TestBuffer3[i], generator.nextByte()) << "byte " << i;
}

}  // namespace
