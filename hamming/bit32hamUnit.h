#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Hamming (8,4) encode and decode with 32-bit word operations (tests 2 and 3).
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, its first HAM_DATA_BYTES bytes only), all read and
// written as little-endian 32-bit words of four independent byte lanes. Nibble layout in groups
// of four data bytes: nibble word 2i holds the low nibbles of data bytes 4i to 4i+3 (lane r for
// byte 4i+r), word 2i+1 their high nibbles. Code byte k always encodes nibble byte k.

#include "hamming/hammingBlock.h"

#define HAM32_ENCODE_REPETITIONS 10000
#define HAM32_DECODE_REPETITIONS 5000

// One 32-bit word per step: unpack and pack steps over the data words, encode and check steps
// over the nibble and code words.
#define HAM32_STEP_BYTES 4
#define HAM32_DATA_STEPS (HAM_DATA_BYTES / HAM32_STEP_BYTES)
#define HAM32_CODE_STEPS (HAM_CODE_BYTES / HAM32_STEP_BYTES)

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// Reads the data words, writes the whole nibble and code buffers; HAM32_ENCODE_REPETITIONS
// repetitions, each an unpack of HAM32_DATA_STEPS words and an encode of HAM32_CODE_STEPS nibble
// words with four SpreadFlag32 calls per word. Result 0, or 1 when a processor exception cut the
// repetitions short.
[[nodiscard]] TestKernelFunction Ham32Encode;

// Reads the code buffer, writes the whole nibble buffer and the data words;
// HAM32_DECODE_REPETITIONS repetitions, each a check of HAM32_CODE_STEPS code words with eight
// SpreadFlag32 calls per word (a code byte with a non-zero syndrome decodes to nibble 0, chosen
// byte by byte) and a pack of HAM32_DATA_STEPS words. Result as above.
[[nodiscard]] TestKernelFunction Ham32Decode;

// Per byte lane: 0x0F where the lane of `word` is non-zero, 0x00 where it is zero. Works on
// the whole word at once; never inlined, so every bit test is a call.
std::uint32_t SpreadFlag32(std::uint32_t word);
}
#endif
