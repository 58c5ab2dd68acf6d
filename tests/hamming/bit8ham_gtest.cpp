#include "hamming/bit8hamUnit.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "hamming/hammingReference.h"

namespace {

using reference::Buffer;
using reference::HammingBuffers;

TEST(Ham8Kernels, EncodeThenDecodeMatchTheCodeAndRestoreTheDataBlock) {
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    const Buffer original = buffers.data;

    ASSERT_EQ(buffers.run(Ham8Encode), 0);
    EXPECT_EQ(buffers.data, original) << "an encode never writes the data buffer";
    EXPECT_EQ(buffers.nibbles, reference::nibbleBufferFor(original, 1));
    EXPECT_EQ(buffers.codes, reference::codeBufferFor(buffers.nibbles));

    std::fill(buffers.nibbles.begin(), buffers.nibbles.end(), 0xAA);
    std::fill(buffers.data.begin(), buffers.data.begin() + HAM_DATA_BYTES, 0x55);
    const Buffer codes = buffers.codes;
    ASSERT_EQ(buffers.run(Ham8Decode), 0);
    EXPECT_EQ(buffers.codes, codes) << "a decode never writes the code buffer";
    EXPECT_EQ(buffers.nibbles, reference::nibbleBufferFor(original, 1));
    EXPECT_EQ(buffers.data, original) << "data bytes restored, the rest of the buffer untouched";
}

TEST(Ham8Kernels, ZerosEncodeToZerosAndDecodeBackToZeros) {
    HammingBuffers buffers;
    buffers.codes.fill(0x77);
    ASSERT_EQ(buffers.run(Ham8Encode), 0);
    EXPECT_EQ(buffers.codes, Buffer{});
    buffers.data.fill(0x33);
    ASSERT_EQ(buffers.run(Ham8Decode), 0);
    EXPECT_TRUE(std::all_of(buffers.data.begin(), buffers.data.begin() + HAM_DATA_BYTES,
                            [](std::uint8_t byte) { return byte == 0; }));
}

TEST(Ham8Kernels, DataByteF1GivesNibbles01And0FAndCodes1EAndFF) {
    HammingBuffers buffers;
    buffers.data[0] = 0xF1;
    ASSERT_EQ(buffers.run(Ham8Encode), 0);
    EXPECT_EQ(buffers.nibbles[0], 0x01);
    EXPECT_EQ(buffers.nibbles[1], 0x0F);
    EXPECT_EQ(buffers.codes[0], 0x1E);
    EXPECT_EQ(buffers.codes[1], 0xFF);
}

TEST(Ham8Kernels, EveryNibbleEncodesToItsCodeByte) {
    HammingBuffers buffers;
    for (int i = 0; i < HAM_DATA_BYTES; ++i) buffers.data[i] = static_cast<std::uint8_t>(i * 37);
    ASSERT_EQ(buffers.run(Ham8Encode), 0);
    for (int k = 0; k < HAM_CODE_BYTES; ++k)
        ASSERT_EQ(buffers.codes[k], reference::kCodeBytes[buffers.nibbles[k]]) << "byte " << k;
}

TEST(Ham8Kernels, DecodeRejectsDamagedBytesAndPassesOtherCodeBytes) {
    struct Case {
        std::uint8_t code;
        std::uint8_t nibble;
    };
    const Case cases[] = {
        {0x1E, 1},  // intact
        {0x1F, 0},  // one bit flipped
        {0x1D, 0},  // two bits flipped
        {0x27, 2},  // four bits flipped onto another code byte: passes unseen
        {0xFF, 15}, {0x80, 0},
    };
    HammingBuffers buffers;
    for (int k = 0; k < HAM_CODE_BYTES; ++k) buffers.codes[k] = cases[k % 6].code;
    ASSERT_EQ(buffers.run(Ham8Decode), 0);
    for (int k = 0; k < HAM_CODE_BYTES; ++k)
        ASSERT_EQ(buffers.nibbles[k], cases[k % 6].nibble) << "code " << int(cases[k % 6].code);
    for (int k = 0; k < HAM_CODE_BYTES; ++k)
        ASSERT_EQ(buffers.nibbles[k], reference::decodedNibble(buffers.codes[k]));
}

TEST(Ham8KernelsFault, BadBufferPointerGivesOneEveryTime) {
    std::uint8_t* bad = reinterpret_cast<std::uint8_t*>(16);
    HammingBuffers buffers;
    std::uint8_t* good = buffers.codes.data();
    for (int call = 0; call < 10; ++call) {
        EXPECT_EQ(Ham8Encode(&bad, &good, &good), 1);
        EXPECT_EQ(Ham8Decode(&good, &bad, &good), 1);
    }
}

}  // namespace
