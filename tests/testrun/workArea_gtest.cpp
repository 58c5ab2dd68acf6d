#include "testrun/workAreaUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "platform/fpuEnvironment.h"

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

TEST(WorkArea, EveryTableAtItsOffsetFromTheAlignedBase) {
    const std::uint8_t* base = KernelWorkAreaBase;
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % 16, 0u);
    EXPECT_GE(base - KernelWorkArea, 1);
    EXPECT_LE(base - KernelWorkArea, 16);
    EXPECT_EQ(TestBuffer1, base + 0x0000);
    EXPECT_EQ(TestBuffer2, base + 0x1000);
    EXPECT_EQ(TestBuffer3, base + 0x2000);
    EXPECT_EQ(CosTable, base + 0x3000);
    EXPECT_EQ(CosTableT, base + 0x3200);
    const std::uint8_t* slots[] = {YuvCoefficient0, YuvCoefficient1, YuvCoefficient2,
                                   YuvCoefficient3, YuvCoefficient4, YuvCoefficient5,
                                   YuvCoefficient6, YuvCoefficient7, YuvZeroSlot};
    for (int slot = 0; slot < 9; ++slot) EXPECT_EQ(slots[slot], base + 0x4200 + 16 * slot);
    const std::uint8_t* masks[] = {ByteMask0F, ByteMaskF0, ByteMask08, ByteMask04, ByteMask02,
                                   ByteMask01, ByteMask10, ByteMask20, ByteMask40, ByteMask80};
    for (int mask = 0; mask < 10; ++mask) EXPECT_EQ(masks[mask], base + 0x4400 + 16 * mask);
    EXPECT_EQ(SplatTable, base + 0x44A0);
    EXPECT_LE(0x44A0u + 256u + 16u, kWorkAreaSize);
}

TEST(WorkArea, SecondBuildKeepsTheFirstArea) {
    std::uint8_t* const area = KernelWorkArea;
    BuildKernelWorkArea();
    EXPECT_EQ(KernelWorkArea, area);
}

TEST(WorkArea, TablesHoldTheirConstants) {
    const double coefficients[] = {0.299, 0.587, 0.114, -0.1687, -0.3313, 0.5, -0.4187, -0.0813};
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(doubleAt(YuvCoefficient0 + 16 * slot, 0), coefficients[slot]);
        EXPECT_EQ(doubleAt(YuvCoefficient0 + 16 * slot, 1), coefficients[slot]);
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
    EXPECT_EQ(platform::readFpuControlWord(), 0x1372);
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
