// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

#include "kernel/workAreaUnit.h"

#include <cmath>
#include <cstring>
#include <new>
#include <numbers>

#include "platform/fpuEnvironment.h"

extern "C" {
std::uint8_t* KernelWorkArea = nullptr;
std::uint8_t* KernelWorkAreaBase = nullptr;
std::uint8_t* TestBuffer1 = nullptr;
std::uint8_t* TestBuffer2 = nullptr;
std::uint8_t* TestBuffer3 = nullptr;
std::uint8_t* CosTable = nullptr;
std::uint8_t* CosTableT = nullptr;
std::uint8_t* YuvCoefficient0 = nullptr;
std::uint8_t* YuvCoefficient1 = nullptr;
std::uint8_t* YuvCoefficient2 = nullptr;
std::uint8_t* YuvCoefficient3 = nullptr;
std::uint8_t* YuvCoefficient4 = nullptr;
std::uint8_t* YuvCoefficient5 = nullptr;
std::uint8_t* YuvCoefficient6 = nullptr;
std::uint8_t* YuvCoefficient7 = nullptr;
std::uint8_t* YuvZeroSlot = nullptr;
std::uint8_t* ByteMask0F = nullptr;
std::uint8_t* ByteMaskF0 = nullptr;
std::uint8_t* ByteMask08 = nullptr;
std::uint8_t* ByteMask04 = nullptr;
std::uint8_t* ByteMask02 = nullptr;
std::uint8_t* ByteMask01 = nullptr;
std::uint8_t* ByteMask10 = nullptr;
std::uint8_t* ByteMask20 = nullptr;
std::uint8_t* ByteMask40 = nullptr;
std::uint8_t* ByteMask80 = nullptr;
std::uint8_t* SplatTable = nullptr;
}

namespace {

std::uint8_t** const kYuvSlotPointers[kYuvCoefficientCount] = {
    &YuvCoefficient0, &YuvCoefficient1, &YuvCoefficient2, &YuvCoefficient3,
    &YuvCoefficient4, &YuvCoefficient5, &YuvCoefficient6, &YuvCoefficient7};

// In address order, matching kByteMaskValues.
std::uint8_t** const kByteMaskPointers[kByteMaskCount] = {
    &ByteMask0F, &ByteMaskF0, &ByteMask08, &ByteMask04, &ByteMask02,
    &ByteMask01, &ByteMask10, &ByteMask20, &ByteMask40, &ByteMask80};

void storeDouble(std::uint8_t* at, double value) { std::memcpy(at, &value, sizeof value); }

// Element (u, x) of the orthonormal DCT-II basis, computed in the extended format and rounded
// once to double: in double arithmetic the cosine's argument and result each carry a rounding,
// which leaves most entries a few units in the last place off, up to 18. Call only inside an
// ExtendedPrecisionScope.
double cosineBasis(int u, int x) {
    if (u == 0) return static_cast<double>(1.0L / std::sqrt(8.0L));
    return static_cast<double>(0.5L *
                               std::cos((2 * x + 1) * u * std::numbers::pi_v<long double> / 16));
}

// Writes every byte of the allocated area and sets the pointer variables.
void fillKernelWorkArea() {
    std::memset(KernelWorkArea, 0, kWorkAreaSize);
    KernelWorkAreaBase = reinterpret_cast<std::uint8_t*>(
        workAreaBaseFor(reinterpret_cast<std::uintptr_t>(KernelWorkArea)));
    std::uint8_t* const base = KernelWorkAreaBase;
    TestBuffer1 = base + workAreaOffset(WorkAreaTable::TestBuffer1);
    TestBuffer2 = base + workAreaOffset(WorkAreaTable::TestBuffer2);
    TestBuffer3 = base + workAreaOffset(WorkAreaTable::TestBuffer3);

    WorkAreaRandom random;
    for (std::size_t i = 0; i < kTestBufferSize; ++i) TestBuffer3[i] = random.nextByte();

    CosTable = base + workAreaOffset(WorkAreaTable::CosTable);
    CosTableT = base + workAreaOffset(WorkAreaTable::CosTableT);
    for (int slot = 0; slot < kYuvCoefficientCount; ++slot) {
        std::uint8_t* const at =
            base + workAreaOffset(WorkAreaTable::YuvCoefficients) + operandsSize(slot);
        *kYuvSlotPointers[slot] = at;
        storeDouble(at, kYuvCoefficientValues[slot]);
        storeDouble(at + 8, kYuvCoefficientValues[slot]);
    }
    YuvZeroSlot = base + workAreaOffset(WorkAreaTable::YuvZeroSlot);
    storeDouble(YuvZeroSlot, 0.0);
    storeDouble(YuvZeroSlot + 8, 0.0);

    for (int mask = 0; mask < kByteMaskCount; ++mask) {
        std::uint8_t* const at =
            base + workAreaOffset(WorkAreaTable::ByteMasks) + operandsSize(mask);
        *kByteMaskPointers[mask] = at;
        std::memset(at, kByteMaskValues[mask], kOperandSize);
    }
    SplatTable = base + workAreaOffset(WorkAreaTable::SplatTable);
    for (int row = 0; row < kSplatRowCount; ++row)
        std::memset(SplatTable + operandsSize(row), row, kOperandSize);

    const platform::ExtendedPrecisionScope extendedPrecision;
    for (int u = 0; u < 8; ++u) {
        for (int x = 0; x < 8; ++x) {
            const double value = cosineBasis(u, x);
            storeDouble(CosTable + 8 * (8 * u + x), value);
            storeDouble(CosTableT + 8 * (8 * x + u), value);
        }
    }
}

}  // namespace

extern "C" void BuildKernelWorkArea() {
    if (KernelWorkArea != nullptr) return;
    KernelWorkArea = new (std::align_val_t{kWorkAreaAlignment}) std::uint8_t[kWorkAreaSize];
    fillKernelWorkArea();
}

extern "C" void RebuildKernelWorkArea() { fillKernelWorkArea(); }
