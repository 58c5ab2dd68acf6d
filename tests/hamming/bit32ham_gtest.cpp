#include "hamming/bit32hamUnit.h"

#include <gtest/gtest.h>

#include "hamming/hammingReference.h"

namespace {

TEST(SpreadFlag32, EachNonZeroLaneBecomes0FAndEachZeroLaneStaysZero) {
    // Every set of lanes with every single bit, as the kernels call it: a carry or borrow
    // between lanes shows in the lanes around it.
    for (int bit = 0; bit < 8; ++bit) {
        for (std::uint32_t lanes = 0; lanes < 16; ++lanes) {
            std::uint32_t word = 0, expected = 0;
            for (int lane = 0; lane < 4; ++lane) {
                if ((lanes >> lane & 1) == 0) continue;
                word |= std::uint32_t{1} << bit << 8 * lane;
                expected |= std::uint32_t{0x0F} << 8 * lane;
            }
            EXPECT_EQ(SpreadFlag32(word), expected) << std::hex << "word " << word;
        }
    }
    // Lanes of any value.
    EXPECT_EQ(SpreadFlag32(0xFF7F0180u), 0x0F0F0F0Fu);
    EXPECT_EQ(SpreadFlag32(0x00FF0000u), 0x000F0000u);
}

TEST(Ham32Kernels, NibbleByteOneHoldsTheLowNibbleOfDataByteOne) {
    reference::HammingBuffers buffers;
    buffers.data[0] = 0xA0;
    buffers.data[1] = 0x0B;
    ASSERT_EQ(buffers.run(Ham32Encode), 0);
    EXPECT_EQ(buffers.nibbles[1], 0x0B) << "not the high nibble of data byte 0, as with 8 bits";
    EXPECT_EQ(buffers.nibbles[4], 0x0A);
}

}  // namespace
