#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Hamming (8,4) encode and decode with byte-wide operations (tests 0 and 1).
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1, one nibble per byte,
// low nibble of data byte i at 2i, high nibble at 2i+1), code buffer (TestBuffer2, code byte k
// for nibble byte k), data buffer (TestBuffer3, its first HAM_DATA_BYTES bytes only).

#include "hamming/hammingBlock.h"

#define HAM8_ENCODE_REPETITIONS 1601
#define HAM8_DECODE_REPETITIONS 801

// One byte per step: unpack and pack steps over the data bytes, encode and check steps over the
// nibble and code bytes.
#define HAM8_DATA_STEPS HAM_DATA_BYTES
#define HAM8_CODE_STEPS HAM_CODE_BYTES

#ifndef __ASSEMBLER__
#include <cstdint>

#include "kernel/testKernel.h"

extern "C" {
// Reads the data bytes, writes the whole nibble and code buffers; HAM8_ENCODE_REPETITIONS
// repetitions, each an unpack of HAM8_DATA_STEPS bytes and an encode of HAM8_CODE_STEPS nibbles
// with four SpreadFlag8 calls per nibble. Result 0, or 1 when a processor exception cut the
// repetitions short.
[[nodiscard]] TestKernelFunction Ham8Encode;

// Reads the code buffer, writes the whole nibble buffer and the data bytes;
// HAM8_DECODE_REPETITIONS repetitions, each a check of HAM8_CODE_STEPS code bytes with eight
// SpreadFlag8 calls per byte (a byte with a non-zero syndrome decodes to nibble 0) and a pack of
// HAM8_DATA_STEPS bytes. Result as above.
[[nodiscard]] TestKernelFunction Ham8Decode;

// 0x0F when `byte` is non-zero, 0 when it is zero. Never inlined: every bit test is a call.
std::uint8_t SpreadFlag8(std::uint8_t byte);
}
#endif
