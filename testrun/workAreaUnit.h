#pragma once
// The kernels' shared work area: one 64000-byte block, built once at start-up and never freed.
//
// Its base is the first address above the block's start that is a multiple of 16 (1 to 16 bytes
// above it; an already aligned start moves up by 16). Every table lies at a multiple of 16 from
// the base, so the 16-byte operands of the SSE kernels are aligned. Kernels reach each table
// through a pointer variable of its own; the assembly kernels read these by name.

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kWorkAreaSize = 64000;
inline constexpr std::size_t kTestBufferSize = 4096;

// Offsets from the base.
inline constexpr std::size_t kTestBuffer1Offset = 0x0000;
inline constexpr std::size_t kTestBuffer2Offset = 0x1000;
inline constexpr std::size_t kTestBuffer3Offset = 0x2000;
inline constexpr std::size_t kCosTableOffset = 0x3000;
inline constexpr std::size_t kCosTableTOffset = 0x3200;
inline constexpr std::size_t kYuvCoefficientsOffset = 0x4200;
inline constexpr std::size_t kYuvZeroSlotOffset = 0x4280;
inline constexpr std::size_t kByteMasksOffset = 0x4400;
inline constexpr std::size_t kSplatTableOffset = 0x44A0;
inline constexpr std::size_t kSplatTableSize = 256;

inline constexpr int kYuvCoefficientCount = 8;
inline constexpr double kYuvCoefficientValues[kYuvCoefficientCount] = {
    0.299, 0.587, 0.114, -0.1687, -0.3313, 0.5, -0.4187, -0.0813};

// The ten byte masks in address order; mask m lies at kByteMasksOffset + 16 m.
inline constexpr int kByteMaskCount = 10;
inline constexpr std::uint8_t kByteMaskValues[kByteMaskCount] = {0x0F, 0xF0, 0x08, 0x04, 0x02,
                                                                 0x01, 0x10, 0x20, 0x40, 0x80};

// The base address for a block that starts at `start`: the next multiple of 16 above it.
constexpr std::uintptr_t workAreaBaseFor(std::uintptr_t start) {
    return (start + 16) & ~std::uintptr_t{15};
}

// The byte-by-byte output of the work area's generator: a 32-bit linear congruential generator
// with state 0 at start, state <- state * 134775813 + 1, byte = top 8 bits of the new state.
class WorkAreaRandom {
  public:
    std::uint8_t nextByte() {
        state_ = state_ * 134775813u + 1u;
        return static_cast<std::uint8_t>(state_ >> 24);
    }

  private:
    std::uint32_t state_ = 0;
};

extern "C" {
// The block as allocated and its aligned base.
extern std::uint8_t* KernelWorkArea;
extern std::uint8_t* KernelWorkAreaBase;

extern std::uint8_t* TestBuffer1;
extern std::uint8_t* TestBuffer2;
extern std::uint8_t* TestBuffer3;

// 8 x 8 doubles each, row-major: CosTable(u, x) is the orthonormal DCT-II basis, CosTableT its
// transpose.
extern std::uint8_t* CosTable;
extern std::uint8_t* CosTableT;

// Colour-conversion coefficients, each slot one coefficient twice: 0.299, 0.587, 0.114,
// -0.1687, -0.3313, 0.5, -0.4187, -0.0813; then the zero slot (two doubles 0.0).
extern std::uint8_t* YuvCoefficient0;
extern std::uint8_t* YuvCoefficient1;
extern std::uint8_t* YuvCoefficient2;
extern std::uint8_t* YuvCoefficient3;
extern std::uint8_t* YuvCoefficient4;
extern std::uint8_t* YuvCoefficient5;
extern std::uint8_t* YuvCoefficient6;
extern std::uint8_t* YuvCoefficient7;
extern std::uint8_t* YuvZeroSlot;

// 16 copies of one byte value each, named after the value.
extern std::uint8_t* ByteMask0F;
extern std::uint8_t* ByteMaskF0;
extern std::uint8_t* ByteMask08;
extern std::uint8_t* ByteMask04;
extern std::uint8_t* ByteMask02;
extern std::uint8_t* ByteMask01;
extern std::uint8_t* ByteMask10;
extern std::uint8_t* ByteMask20;
extern std::uint8_t* ByteMask40;
extern std::uint8_t* ByteMask80;

// Row i (16 bytes, i = 0 to 15) holds the byte value i sixteen times.
extern std::uint8_t* SplatTable;

// Allocates and fills the work area and sets every pointer variable above. Only the first call
// does anything: the generator runs once per program.
void BuildKernelWorkArea();
}
