#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The kernels' shared work area: one 64000-byte block, built once at start-up and never freed.
//
// Its base is the first address above the block's start that is a multiple of 16 (1 to 16 bytes
// above it; an already aligned start moves up by 16). The block starts on a page boundary
// (kWorkAreaAlignment), so the base is 16 bytes into its page and every table lies at the same
// place within its page in every run and every program. Every table lies at a multiple of 16 from
// the base, so the 16-byte operands of the SSE kernels are aligned. Kernels reach each table
// through a pointer variable of its own; the assembly kernels read these by name.

#include <cstddef>
#include <cstdint>

#include "hamming/hammingBlock.h"
#include "transform/yuvCoefficients.h"

inline constexpr std::size_t kWorkAreaSize = 64000;
inline constexpr std::size_t kWorkAreaAlignment = 4096;

inline constexpr std::size_t kTestBufferSize = 4096;
// The Hamming kernels fill the nibble and code buffers whole.
static_assert(HAM_CODE_BYTES == kTestBufferSize);
inline constexpr std::size_t kCosTableSize = 8 * 8 * sizeof(double);
// One 16-byte operand: a coefficient slot, the zero slot, a byte mask, a row of the splat table.
inline constexpr std::size_t kOperandSize = 16;

// The bytes of `count` 16-byte operands in a row.
constexpr std::size_t operandsSize(int count) { return count * kOperandSize; }

inline constexpr int kYuvCoefficientCount = 8;
// Slot 5 serves as both YUV_CB_BLUE and YUV_CR_RED.
inline constexpr double kYuvCoefficientValues[kYuvCoefficientCount] = {
    YUV_Y_RED,    YUV_Y_GREEN, YUV_Y_BLUE,   YUV_CB_RED,
    YUV_CB_GREEN, YUV_CB_BLUE, YUV_CR_GREEN, YUV_CR_BLUE};

// The ten byte masks in address order; mask m lies at the ByteMasks table + 16 m.
inline constexpr int kByteMaskCount = 10;
inline constexpr std::uint8_t kByteMaskValues[kByteMaskCount] = {0x0F, 0xF0, 0x08, 0x04, 0x02,
                                                                 0x01, 0x10, 0x20, 0x40, 0x80};

inline constexpr int kSplatRowCount = 16;

// The tables in address order.
enum class WorkAreaTable {
    TestBuffer1,
    TestBuffer2,
    TestBuffer3,
    CosTable,
    CosTableT,
    YuvCoefficients,
    YuvZeroSlot,
    ByteMasks,
    SplatTable,
};

// A table's place in the layout: the bytes left unused between the end of the table before it
// and its start, and its size.
struct WorkAreaSpan {
    std::size_t unusedBefore;
    std::size_t size;
};

// In the order of WorkAreaTable. Each table follows the one before it, except that the layout
// leaves 3584 bytes unused after CosTableT and 368 after the zero slot.
inline constexpr WorkAreaSpan kWorkAreaSpans[] = {
    {0, kTestBufferSize},
    {0, kTestBufferSize},
    {0, kTestBufferSize},
    {0, kCosTableSize},
    {0, kCosTableSize},
    {3584, operandsSize(kYuvCoefficientCount)},
    {0, kOperandSize},
    {368, operandsSize(kByteMaskCount)},
    {0, operandsSize(kSplatRowCount)},
};

// A table's offset from the base: the sizes and unused bytes of everything before it.
constexpr std::size_t workAreaOffset(WorkAreaTable table) {
    std::size_t offset = 0;
    for (int t = 0; t < static_cast<int>(table); ++t)
        offset += kWorkAreaSpans[t].unusedBefore + kWorkAreaSpans[t].size;
    return offset + kWorkAreaSpans[static_cast<int>(table)].unusedBefore;
}

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

// Colour-conversion coefficients, each slot one value of kYuvCoefficientValues twice; then the
// zero slot (two doubles 0.0).
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

// Fills the built work area anew, in place: every byte written, the contents those of a fresh
// build, every table and pointer where it was. In a worker process forked from the program this
// makes every page of the area the worker's own before it times anything.
void RebuildKernelWorkArea();
}
