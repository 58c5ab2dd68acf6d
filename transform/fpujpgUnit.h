#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Colour conversion and two-dimensional DCT of one 8 x 8 RGB block on the x87 unit (test 8).
//
// Buffers, through the TestKernel references, the first YUV_AREA_BYTES of each only, laid out
// as transform/yuvBlock.h says: plane area (TestBuffer1: planes Y, Cb, Cr; written),
// intermediate area (TestBuffer2, the row-transformed planes; written), pixel block
// (TestBuffer3; read only). Tables: CosTable and CosTableT.

#define YUV_FOURIER_FPU_REPETITIONS 20000

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// The whole workload YUV_FOURIER_FPU_REPETITIONS times under the processor-exception guard.
// Every product and sum is formed in the x87 extended format and rounded to double only when
// stored. Result 0, or 1 when a processor exception (an overflowing store, an invalid
// operation such as +inf - inf or a signalling NaN operand, a bad address) cut it short; the
// x87 unit is then reinitialised with the program's control word.
[[nodiscard]] TestKernelFunction YuvFourierFpu;

// The unguarded body (assembly): the repetitions on the given areas, ending with FWAIT so that
// a fault of the last store is raised before it returns. Requires an empty x87 stack and
// leaves it empty; preserves the callee-saved registers. Only for callers that hold a guard.
void YuvFourierFpuRepetitions(std::uint8_t* planes, std::uint8_t* intermediate,
                              const std::uint8_t* pixels);
}
#endif
