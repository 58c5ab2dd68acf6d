#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Colour conversion and two-dimensional DCT of one 8 x 8 RGB block with SSE2 packed doubles
// (test 9).
//
// Buffers and layouts as for YuvFourierFpu (transform/fpujpgUnit.h): plane area (TestBuffer1),
// intermediate area (TestBuffer2), pixel block (TestBuffer3), first YUV_AREA_BYTES of each only.
// Tables: CosTable, CosTableT, the YuvCoefficients slots and the zero slot.
//
// Beware: the plane area, the intermediate area, CosTableT, the coefficient slots and the zero
// slot are accessed with aligned 16-byte operands and must be 16-byte aligned; the pixel block
// and CosTable are read 8 bytes at a time and need no alignment.

#define YUV_FOURIER_SSE2_REPETITIONS 60000

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// The whole workload YUV_FOURIER_SSE2_REPETITIONS times under the processor-exception guard,
// each repetition 32 ConvertPixelPair, 2 ClearArea, 192 RowPassStep and 192 ColumnPassStep
// calls. MXCSR is left as it is (its masked exceptions give infinities and NaNs, never a
// fault). Result 0, or 1 when a processor exception (a misaligned operand, an instruction the
// processor lacks, a bad address) cut it short.
[[nodiscard]] TestKernelFunction YuvFourierSse2;

// The unguarded body (assembly) on the given areas. Preserves the callee-saved registers and
// MXCSR; uses no x87 instruction. Only for callers that hold a guard.
void YuvFourierSse2Repetitions(std::uint8_t* planes, std::uint8_t* intermediate,
                               const std::uint8_t* pixels);
}
#endif
