#pragma once
// Hamming (8,4) encode and decode in the 64-bit MMX registers (tests 4 and 5), eight bytes per
// step. Included by the assembly (mmxhamUnit.S) and by its C++ wrapper.
//
// Buffers, through the TestKernel references: nibble buffer (TestBuffer1), code buffer
// (TestBuffer2), data buffer (TestBuffer3, bytes 0 to 2047 only). Nibble layout in groups of
// eight data bytes: nibble bytes 16j to 16j+7 hold the low nibbles of data bytes 8j to 8j+7,
// bytes 16j+8 to 16j+15 their high nibbles. Code byte k always encodes nibble byte k.

#define HAM_MMX_ENCODE_REPETITIONS 50000
#define HAM_MMX_DECODE_REPETITIONS 15000

#ifndef __ASSEMBLER__
#include <cstdint>

extern "C" {
// Reads data bytes 0-2047, writes the whole nibble and code buffers; 50000 repetitions, each
// 256 unpack steps and 512 encode steps, then EMMS. Result 0, or 1 when a processor exception
// cut the repetitions short (then without EMMS: the guard's FNINIT clears the MMX state).
std::int32_t HamMmxEncode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                          std::uint8_t* const* dataBuffer);

// Reads the code buffer, writes the whole nibble buffer and data bytes 0-2047; 15000
// repetitions, each 512 check steps (a code byte with a non-zero syndrome decodes to nibble 0)
// and 256 pack steps, then EMMS. Holds its 32-byte syndrome scratch block for the whole call
// and releases it on both paths. Result as above.
std::int32_t HamMmxDecode(std::uint8_t* const* nibbleBuffer, std::uint8_t* const* codeBuffer,
                          std::uint8_t* const* dataBuffer);

// The assembly bodies, on plain buffer addresses; they fault on a bad address, so they run
// only under the exception guard of the kernels above.
void HamMmxEncodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data);
void HamMmxDecodeRepetitions(std::uint8_t* nibbles, const std::uint8_t* codes, std::uint8_t* data,
                             std::uint8_t* syndromeScratch);
}
#endif
