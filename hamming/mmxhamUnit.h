#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Hamming (8,4) encode and decode in the 64-bit MMX registers (tests 4 and 5), eight bytes per
// step. Included by the assembly (mmxhamUnit.S) and by its C++ wrapper.
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, its first HAM_DATA_BYTES bytes only). Nibble layout in
// groups of eight data bytes: nibble bytes 16j to 16j+7 hold the low nibbles of data bytes 8j to
// 8j+7, bytes 16j+8 to 16j+15 their high nibbles. Code byte k always encodes nibble byte k.

#include "hamming/hammingBlock.h"

#define HAM_MMX_ENCODE_REPETITIONS 50000
#define HAM_MMX_DECODE_REPETITIONS 15000

// Unpack and pack steps over the data bytes, encode and check steps over the nibble and code
// bytes, eight bytes each.
#define HAM_MMX_STEP_BYTES 8
#define HAM_MMX_DATA_STEPS (HAM_DATA_BYTES / HAM_MMX_STEP_BYTES)
#define HAM_MMX_CODE_STEPS (HAM_CODE_BYTES / HAM_MMX_STEP_BYTES)

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// Reads the data bytes, writes the whole nibble and code buffers; HAM_MMX_ENCODE_REPETITIONS
// repetitions, each HAM_MMX_DATA_STEPS unpack steps and HAM_MMX_CODE_STEPS encode steps, then
// EMMS. Result 0, or 1 when a processor exception cut the repetitions short (then without EMMS:
// the guard's FNINIT clears the MMX state).
[[nodiscard]] TestKernelFunction HamMmxEncode;

// Reads the code buffer, writes the whole nibble buffer and the data bytes;
// HAM_MMX_DECODE_REPETITIONS repetitions, each HAM_MMX_CODE_STEPS check steps (a code byte with a
// non-zero syndrome decodes to nibble 0) and HAM_MMX_DATA_STEPS pack steps, then EMMS. Holds its
// syndrome scratch block for the whole call and releases it on both paths. Result as above.
[[nodiscard]] TestKernelFunction HamMmxDecode;

// The assembly bodies, on plain buffer addresses; they fault on a bad address, so they run
// only under the exception guard of the kernels above.
void HamMmxEncodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data);
void HamMmxDecodeRepetitions(std::uint8_t* nibbles, const std::uint8_t* codes, std::uint8_t* data,
                             std::uint8_t* syndromeScratch);
}
#endif
