#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Hamming (8,4) encode and decode in the 128-bit XMM registers (tests 6 and 7), sixteen bytes
// per step. Included by the assembly (ssehamUnit.S) and by its C++ wrapper.
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, its first HAM_DATA_BYTES bytes only). Nibble layout in
// groups of sixteen data bytes: nibble bytes 32j to 32j+15 hold the low nibbles of data bytes 16j
// to 16j+15, bytes 32j+16 to 32j+31 their high nibbles. Code byte k always encodes nibble byte k.
//
// Every buffer access is an aligned 128-bit move and every logical operation or compare reads
// an aligned memory operand: the three buffers, the masks and the table rows must start on a
// 16-byte boundary, or the kernel faults and returns 1. The kernels need SSE2.

#include "hamming/hammingBlock.h"

#define HAM_SSE_ENCODE_REPETITIONS 50000
#define HAM_SSE_DECODE_REPETITIONS 15000

// Unpack and pack steps over the data bytes, encode and check steps over the nibble and code
// bytes, sixteen bytes each.
#define HAM_SSE_STEP_BYTES 16
#define HAM_SSE_DATA_STEPS (HAM_DATA_BYTES / HAM_SSE_STEP_BYTES)
#define HAM_SSE_CODE_STEPS (HAM_CODE_BYTES / HAM_SSE_STEP_BYTES)

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// Reads the data bytes, writes the whole nibble and code buffers; HAM_SSE_ENCODE_REPETITIONS
// repetitions, each HAM_SSE_DATA_STEPS unpack steps and HAM_SSE_CODE_STEPS encode steps. Result
// 0, or 1 when a processor exception cut the repetitions short (a misaligned buffer, a processor
// without SSE2, a bad address).
[[nodiscard]] TestKernelFunction HamSseEncode;

// Reads the code buffer, writes the whole nibble buffer and the data bytes;
// HAM_SSE_DECODE_REPETITIONS repetitions, each HAM_SSE_CODE_STEPS check steps (a code byte with a
// non-zero syndrome decodes to nibble 0) and HAM_SSE_DATA_STEPS pack steps. Holds its syndrome
// scratch block for the whole call and releases it on both paths. Result as above.
[[nodiscard]] TestKernelFunction HamSse2Decode;

// The assembly bodies, on plain buffer addresses; they fault on a bad or misaligned address,
// so they run only under the exception guard of the kernels above.
void HamSseEncodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data);
void HamSse2DecodeRepetitions(std::uint8_t* nibbles, const std::uint8_t* codes, std::uint8_t* data,
                              std::uint8_t* syndromeScratch);
}
#endif
