// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// Built without auto-vectorisation and store merging (see CMakeLists.txt): the loops must stay
// byte-at-a-time, and every bit test must stay a call that reloads its byte. The opaque call
// makes the compiler reload the buffer byte after each test.

#include "hamming/bit8hamUnit.h"

#include "platform/exceptionGuard.h"

extern "C" [[gnu::noipa]] std::uint8_t SpreadFlag8(std::uint8_t byte) {
    return byte != 0 ? 0x0F : 0x00;
}

namespace {

void encodeRepetitions(std::uint8_t* nibbles, std::uint8_t* codes, const std::uint8_t* data) {
    for (int repetition = 0; repetition < HAM8_ENCODE_REPETITIONS; ++repetition) {
        for (int i = 0; i < HAM8_DATA_STEPS; ++i) {
            nibbles[2 * i] = data[i] & 0x0F;
            nibbles[2 * i + 1] = (data[i] & 0xF0) >> 4;
        }
        for (int k = 0; k < HAM8_CODE_STEPS; ++k) {
            std::uint8_t code = SpreadFlag8(nibbles[k] & 0x08) & 0x0D;
            code ^= SpreadFlag8(nibbles[k] & 0x04) & 0x0B;
            code ^= SpreadFlag8(nibbles[k] & 0x02) & 0x07;
            code ^= SpreadFlag8(nibbles[k] & 0x01) & 0x0E;
            codes[k] = static_cast<std::uint8_t>(code | (nibbles[k] << 4));
        }
    }
}

void decodeRepetitions(std::uint8_t* nibbles, const std::uint8_t* codes, std::uint8_t* data) {
    for (int repetition = 0; repetition < HAM8_DECODE_REPETITIONS; ++repetition) {
        for (int k = 0; k < HAM8_CODE_STEPS; ++k) {
            std::uint8_t syndrome = SpreadFlag8(codes[k] & 0x80) & 0x0D;
            syndrome ^= SpreadFlag8(codes[k] & 0x40) & 0x0B;
            syndrome ^= SpreadFlag8(codes[k] & 0x20) & 0x07;
            syndrome ^= SpreadFlag8(codes[k] & 0x10) & 0x0E;
            syndrome ^= SpreadFlag8(codes[k] & 0x08) & 0x08;
            syndrome ^= SpreadFlag8(codes[k] & 0x04) & 0x04;
            syndrome ^= SpreadFlag8(codes[k] & 0x02) & 0x02;
            syndrome ^= SpreadFlag8(codes[k] & 0x01) & 0x01;
            nibbles[k] = syndrome == 0 ? static_cast<std::uint8_t>((codes[k] & 0xF0) >> 4) : 0;
        }
        for (int i = 0; i < HAM8_DATA_STEPS; ++i)
            data[i] = static_cast<std::uint8_t>((nibbles[2 * i + 1] << 4) | nibbles[2 * i]);
    }
}

}  // namespace

extern "C" std::int32_t Ham8Encode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { encodeRepetitions(*nibbles, *codes, *data); });
}

extern "C" std::int32_t Ham8Decode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { decodeRepetitions(*nibbles, *codes, *data); });
}
