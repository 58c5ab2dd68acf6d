#include "hamming/ssehamUnit.h"

#include <gtest/gtest.h>

#include "hamming/hammingReference.h"

namespace {

using reference::HammingBuffers;

TEST(HamSseKernels, HighNibblesOfTheFirstSixteenBytesLandAtNibbleBytes16To31) {
    HammingBuffers buffers;
    for (int i = 0; i < 16; ++i) buffers.data[i] = static_cast<std::uint8_t>(i << 4);
    ASSERT_EQ(buffers.run(HamSseEncode), 0);
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(buffers.nibbles[r], 0) << "low nibble " << r;
        EXPECT_EQ(buffers.nibbles[16 + r], r) << "high nibble " << r;
        EXPECT_EQ(buffers.codes[16 + r], reference::kCodeBytes[r]) << "code byte " << 16 + r;
    }
}

TEST(HamSseKernels, BodiesGiveBackTheCalleeSavedRegisters) {
    HammingBuffers buffers;
    alignas(16) std::uint8_t scratch[16] = {};
    EXPECT_EQ(buffers.calleeSavedChangedBy(HamSseEncodeRepetitions), 0u);
    EXPECT_EQ(buffers.calleeSavedChangedBy(HamSse2DecodeRepetitions, scratch), 0u);
}

TEST(HamSseKernelsFault, DataBufferOffSixteenByteBoundaryGivesOneEveryTime) {
    for (int offset : {1, 4, 8, 15}) {
        HammingBuffers buffers;
        buffers.dataPointer = buffers.data.data() + offset;  // still inside the buffer
        for (int call = 0; call < 10; ++call) {
            EXPECT_EQ(buffers.run(HamSseEncode), 1) << "offset " << offset;
            EXPECT_EQ(buffers.run(HamSse2Decode), 1) << "offset " << offset;
        }
    }
}

}  // namespace
