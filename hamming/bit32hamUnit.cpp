// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Built without auto-vectorisation and store merging (see CMakeLists.txt): the loops must stay
// one word per step, the decode's accept-or-zero choice must stay four single-byte stores, and
// every bit test must stay a call. The opaque call makes the compiler reload the buffer word
// after each test.

#include "hamming/bit32hamUnit.h"

#include <cstring>

#include "platform/exceptionGuard.h"

extern "C" [[gnu::noipa]] std::uint32_t SpreadFlag32(std::uint32_t word) {
    // Bit 7 of each lane ends up set exactly when the lane is non-zero: the low seven bits
    // plus 0x7F carry into bit 7 without leaving the lane, and bit 7 itself is ORed in.
    const std::uint32_t nonZero = (((word & 0x7F7F7F7Fu) + 0x7F7F7F7Fu) | word) & 0x80808080u;
    // 0x80 becomes 0x10 - 0x01 = 0x0F within its lane; no lane borrows from the next.
    return (nonZero >> 3) - (nonZero >> 7);
}

namespace {

// Word k of a buffer. The buffers are byte arrays; memcpy keeps the access a plain 32-bit move
// without breaking the aliasing rules.
std::uint32_t loadWord(const std::uint8_t* buffer, int k) {
    std::uint32_t word;
    std::memcpy(&word, buffer + 4 * k, sizeof word);
    return word;
}

void storeWord(std::uint8_t* buffer, int k, std::uint32_t word) {
    std::memcpy(buffer + 4 * k, &word, sizeof word);
}

// The nibble for code byte `byte` of a word whose lane syndrome is `laneSyndrome`.
std::uint8_t acceptedNibble(std::uint32_t laneSyndrome, std::uint8_t byte) {
    return laneSyndrome == 0 ? static_cast<std::uint8_t>((byte & 0xF0) >> 4) : 0;
}

void encodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data) {
    for (int repetition = 0; repetition < HAM32_ENCODE_REPETITIONS; ++repetition) {
        for (int i = 0; i < HAM32_DATA_STEPS; ++i) {
            storeWord(nibbles, 2 * i, loadWord(data, i) & 0x0F0F0F0Fu);
            storeWord(nibbles, 2 * i + 1, (loadWord(data, i) & 0xF0F0F0F0u) >> 4);
        }
        for (int k = 0; k < HAM32_CODE_STEPS; ++k) {
            std::uint32_t code = SpreadFlag32(loadWord(nibbles, k) & 0x08080808u) & 0x0D0D0D0Du;
            code ^= SpreadFlag32(loadWord(nibbles, k) & 0x04040404u) & 0x0B0B0B0Bu;
            code ^= SpreadFlag32(loadWord(nibbles, k) & 0x02020202u) & 0x07070707u;
            code ^= SpreadFlag32(loadWord(nibbles, k) & 0x01010101u) & 0x0E0E0E0Eu;
            // Every lane is at most 15, so the shift keeps each nibble inside its own lane.
            storeWord(codes, k, code | (loadWord(nibbles, k) << 4));
        }
    }
}

void decodeRepetitions(std::uint8_t* nibbles, const std::uint8_t* codes, std::uint8_t* data) {
    for (int repetition = 0; repetition < HAM32_DECODE_REPETITIONS; ++repetition) {
        for (int k = 0; k < HAM32_CODE_STEPS; ++k) {
            std::uint32_t syndrome = SpreadFlag32(loadWord(codes, k) & 0x80808080u) & 0x0D0D0D0Du;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x40404040u) & 0x0B0B0B0Bu;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x20202020u) & 0x07070707u;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x10101010u) & 0x0E0E0E0Eu;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x08080808u) & 0x08080808u;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x04040404u) & 0x04040404u;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x02020202u) & 0x02020202u;
            syndrome ^= SpreadFlag32(loadWord(codes, k) & 0x01010101u) & 0x01010101u;
            // Lanes 0 to 3 in order, lane 0 the lowest byte of the syndrome word.
            nibbles[4 * k] = acceptedNibble(syndrome & 0x000000FFu, codes[4 * k]);
            nibbles[4 * k + 1] = acceptedNibble(syndrome & 0x0000FF00u, codes[4 * k + 1]);
            nibbles[4 * k + 2] = acceptedNibble(syndrome & 0x00FF0000u, codes[4 * k + 2]);
            nibbles[4 * k + 3] = acceptedNibble(syndrome & 0xFF000000u, codes[4 * k + 3]);
        }
        for (int i = 0; i < HAM32_DATA_STEPS; ++i)
            storeWord(data, i, (loadWord(nibbles, 2 * i + 1) << 4) | loadWord(nibbles, 2 * i));
    }
}

}  // namespace

extern "C" std::int32_t Ham32Encode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { encodeRepetitions(*nibbles, *codes, *data); });
}

extern "C" std::int32_t Ham32Decode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { decodeRepetitions(*nibbles, *codes, *data); });
}
