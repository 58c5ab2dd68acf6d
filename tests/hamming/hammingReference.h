#pragma once
// An independent statement of the Hamming (8,4) code and of the nibble layouts, for checking
// every kernel width against it.

#include <array>
#include <cstdint>

#include "hamming/hammingBlock.h"
#include "kernel/workAreaUnit.h"
#include "support/calleeSavedCheck.h"

namespace reference {

// The sixteen code bytes for the data nibbles 0 to 15.
inline constexpr std::array<std::uint8_t, 16> kCodeBytes = {
    0x00, 0x1E, 0x27, 0x39, 0x4B, 0x55, 0x6C, 0x72, 0x8D, 0x93, 0xAA, 0xB4, 0xC6, 0xD8, 0xE1, 0xFF};

// The nibble a decoder writes for one code byte: its high nibble when the byte is one of the
// sixteen code bytes, 0 otherwise.
std::uint8_t decodedNibble(std::uint8_t codeByte);

// One of the work area's test buffers.
using Buffer = std::array<std::uint8_t, kTestBufferSize>;
static_assert(HAM_CODE_BYTES <= kTestBufferSize, "a test buffer holds every nibble and code byte");

// The nibble buffer an encode of width `groupSize` (1, 4, 8 or 16 bytes per register) writes
// for the HAM_DATA_BYTES data bytes: per group, the G low nibbles, then the G high nibbles.
Buffer nibbleBufferFor(const Buffer& data, int groupSize);

// The code buffer for a nibble buffer: code byte k encodes nibble byte k.
Buffer codeBufferFor(const Buffer& nibbles);

// The nibble buffer a decoder writes for a code buffer: decodedNibble of every code byte.
Buffer decodedNibblesFor(const Buffer& codes);

// The data buffer a decode of width `groupSize` leaves: the first HAM_DATA_BYTES bytes packed
// from the nibble buffer in that width's layout, the rest those of `before`.
Buffer packedDataFor(const Buffer& nibbles, int groupSize, const Buffer& before);

// Three 16-byte-aligned buffers with pointer variables of their own, as the kernels take them.
struct HammingBuffers {
    alignas(16) Buffer nibbles{};
    alignas(16) Buffer codes{};
    alignas(16) Buffer data{};
    std::uint8_t* nibblePointer = nibbles.data();
    std::uint8_t* codePointer = codes.data();
    std::uint8_t* dataPointer = data.data();

    HammingBuffers() = default;
    HammingBuffers(const HammingBuffers&) = delete;
    HammingBuffers& operator=(const HammingBuffers&) = delete;

    // Fills the data buffer with the work area's start-up bytes.
    void fillWithStartupData();

    template <class Kernel>
    std::int32_t run(Kernel kernel) {
        return kernel(&nibblePointer, &codePointer, &dataPointer);
    }

    // The mask of callee-saved registers a kernel body changes when called on the three buffers
    // and `scratch`, as CalleeSavedRegistersChangedBy gives it: 0 when it keeps them all.
    template <class Body>
    std::uint32_t calleeSavedChangedBy(Body body, std::uint8_t* scratch = nullptr) {
        return CalleeSavedRegistersChangedBy(reinterpret_cast<KernelBody>(body), nibbles.data(),
                                             codes.data(), data.data(), scratch);
    }
};

}  // namespace reference
