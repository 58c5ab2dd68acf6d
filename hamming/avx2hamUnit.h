#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Hamming (8,4) encode in the 256-bit YMM registers, thirty-two bytes per step: the SSE2
// encode's work (ssehamUnit.h) on registers twice as wide, on processors with AVX2. Included by
// the assembly (avx2hamUnit.S) and by its C++ wrapper.
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, its first HAM_DATA_BYTES bytes only). The nibble and
// code bytes it writes are the SSE2 encode's, byte for byte: nibble bytes 32j to 32j+15 hold the
// low nibbles of data bytes 16j to 16j+15, bytes 32j+16 to 32j+31 their high nibbles, and code
// byte k encodes nibble byte k.
//
// Buffer accesses are unaligned 256-bit moves: the work area's buffers start 16 bytes into a
// page, so every second one splits a cache line, the same on every machine. The masks and table
// rows are the SSE kernels' 16-byte operands, broadcast to both halves.

#include "hamming/hammingBlock.h"

#define HAM_AVX2_ENCODE_REPETITIONS 50000

// Unpack steps over the data bytes, encode steps over the nibble and code bytes, thirty-two
// bytes each.
#define HAM_AVX2_STEP_BYTES 32
#define HAM_AVX2_DATA_STEPS (HAM_DATA_BYTES / HAM_AVX2_STEP_BYTES)
#define HAM_AVX2_CODE_STEPS (HAM_CODE_BYTES / HAM_AVX2_STEP_BYTES)

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

// Whether this processor runs AVX2 code: it has AVX2 and the system saves the YMM registers.
bool hasAvx2();

extern "C" {
// Reads the data bytes, writes the whole nibble and code buffers; HAM_AVX2_ENCODE_REPETITIONS
// repetitions, each HAM_AVX2_DATA_STEPS unpack steps and HAM_AVX2_CODE_STEPS encode steps.
// Result 0, or 1 when a processor exception cut the repetitions short (a processor without
// AVX2, a bad address).
[[nodiscard]] TestKernelFunction HamAvx2Encode;

// The assembly body, on plain buffer addresses; it faults on a bad address or without AVX2, so
// it runs only under the exception guard of the kernel above.
void HamAvx2EncodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data);
}
#endif
