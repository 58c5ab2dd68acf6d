#pragma once
// Hamming (8,4) encode and decode with 32-bit word operations (tests 2 and 3).
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, bytes 0 to 2047 only), all read and written as
// little-endian 32-bit words of four independent byte lanes. Nibble layout in groups of four
// data bytes: nibble word 2i holds the low nibbles of data bytes 4i to 4i+3 (lane r for byte
// 4i+r), word 2i+1 their high nibbles. Code byte k always encodes nibble byte k.

#define HAM32_ENCODE_REPETITIONS 10000
#define HAM32_DECODE_REPETITIONS 5000

#ifndef __ASSEMBLER__
#include <cstdint>

extern "C" {
// Reads data words 0-511, writes the whole nibble and code buffers; 10000 repetitions, each an
// unpack of 512 words and an encode of 1024 nibble words with four SpreadFlag32 calls per word.
// Result 0, or 1 when a processor exception cut the repetitions short.
std::int32_t Ham32Encode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                         std::uint8_t* const* dataBuffer);

// Reads the code buffer, writes the whole nibble buffer and data words 0-511; 5000
// repetitions, each a check of 1024 code words with eight SpreadFlag32 calls per word (a code
// byte with a non-zero syndrome decodes to nibble 0, chosen byte by byte) and a pack of 512
// words. Result as above.
std::int32_t Ham32Decode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                         std::uint8_t* const* dataBuffer);

// Per byte lane: 0x0F where the lane of `word` is non-zero, 0x00 where it is zero. Works on
// the whole word at once; never inlined, so every bit test is a call.
std::uint32_t SpreadFlag32(std::uint32_t word);
}
#endif
