#pragma once
// Hamming (8,4) encode and decode with byte-wide operations (tests 0 and 1).
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1, one nibble per byte,
// low nibble of data byte i at 2i, high nibble at 2i+1), code buffer (TestBuffer2, code byte k
// for nibble byte k), data buffer (TestBuffer3, bytes 0 to 2047 only).

#define HAM8_ENCODE_REPETITIONS 1601
#define HAM8_DECODE_REPETITIONS 801

#ifndef __ASSEMBLER__
#include <cstdint>

extern "C" {
// Reads data bytes 0-2047, writes the whole nibble and code buffers; 1601 repetitions, each an
// unpack of 2048 bytes and an encode of 4096 nibbles with four SpreadFlag8 calls per nibble.
// Result 0, or 1 when a processor exception cut the repetitions short.
std::int32_t Ham8Encode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                        std::uint8_t* const* dataBuffer);

// Reads the code buffer, writes the whole nibble buffer and data bytes 0-2047; 801
// repetitions, each a check of 4096 code bytes with eight SpreadFlag8 calls per byte (a byte
// with a non-zero syndrome decodes to nibble 0) and a pack of 2048 bytes. Result as above.
std::int32_t Ham8Decode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                        std::uint8_t* const* dataBuffer);

// 0x0F when `byte` is non-zero, 0 when it is zero. Never inlined: every bit test is a call.
std::uint8_t SpreadFlag8(std::uint8_t byte);
}
#endif
