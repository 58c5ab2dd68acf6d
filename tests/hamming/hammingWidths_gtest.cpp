// The 32-bit, MMX, SSE and AVX2 kernels against the reference code, one table over the widths:
// per byte every width produces what the 8-bit kernels produce, only the nibble layout differs.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "hamming/avx2hamUnit.h"
#include "hamming/bit32hamUnit.h"
#include "hamming/hammingReference.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "kernel/testKernel.h"
#include "kernel/workAreaUnit.h"

namespace {

using reference::Buffer;
using reference::HammingBuffers;

struct Width {
    const char* name;
    TestKernel encode;
    TestKernel decode;
    int groupSize;                  // data bytes per nibble group
    bool (*supported)() = nullptr;  // where not every processor runs the encode
};

const Width kWidths[] = {
    {"Words32", Ham32Encode, Ham32Decode, 4},
    {"Mmx", HamMmxEncode, HamMmxDecode, 8},
    {"Sse", HamSseEncode, HamSse2Decode, 16},
    // The AVX2 encode writes the SSE2 encode's bytes, which the SSE2 decode reads back.
    {"Avx2", HamAvx2Encode, HamSse2Decode, 16, hasAvx2},
};

void PrintTo(const Width& width, std::ostream* out) { *out << width.name; }

std::string widthName(const testing::TestParamInfo<Width>& info) { return info.param.name; }

class HammingWidths : public testing::TestWithParam<Width> {
  protected:
    void SetUp() override {
        if (GetParam().supported != nullptr && !GetParam().supported())
            GTEST_SKIP() << "this processor cannot run the encode";
    }
};
class HammingWidthsFault : public HammingWidths {};

// Encodes the data block in `buffers`, checks the nibble and code buffers against the
// reference, then decodes into scrambled buffers and checks that the block comes back.
void expectEncodeThenDecodeMatchTheReference(const Width& width, HammingBuffers& buffers) {
    const Buffer original = buffers.data;
    ASSERT_EQ(buffers.run(width.encode), 0);
    EXPECT_EQ(buffers.data, original) << "an encode never writes the data buffer";
    EXPECT_EQ(buffers.nibbles, reference::nibbleBufferFor(original, width.groupSize));
    EXPECT_EQ(buffers.codes, reference::codeBufferFor(buffers.nibbles));

    std::fill(buffers.nibbles.begin(), buffers.nibbles.end(), 0xAA);
    std::fill(buffers.data.begin(), buffers.data.begin() + HAM_DATA_BYTES, 0x55);
    const Buffer codes = buffers.codes;
    ASSERT_EQ(buffers.run(width.decode), 0);
    EXPECT_EQ(buffers.codes, codes) << "a decode never writes the code buffer";
    EXPECT_EQ(buffers.nibbles, reference::nibbleBufferFor(original, width.groupSize));
    EXPECT_EQ(buffers.data, original) << "data bytes restored, the rest of the buffer untouched";
}

TEST_P(HammingWidths, StartupDataEncodesAsTheReferenceAndDecodesBack) {
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    expectEncodeThenDecodeMatchTheReference(GetParam(), buffers);
}

TEST_P(HammingWidths, CraftedBlocksEncodeAsTheReferenceAndDecodeBack) {
    struct Block {
        const char* name;
        std::function<std::uint8_t(int)> byteAt;
    };
    const Block blocks[] = {
        {"zeros", [](int) { return 0x00; }},
        {"all ones", [](int) { return 0xFF; }},
        {"high nibble = position mod 16", [](int i) { return (i % 16) << 4; }},
        {"low nibble = position mod 16", [](int i) { return i % 16; }},
        {"every byte value", [](int i) { return (i * 37 + i / 256) & 0xFF; }},
    };
    for (const Block& block : blocks) {
        SCOPED_TRACE(block.name);
        HammingBuffers buffers;
        for (std::size_t i = 0; i < buffers.data.size(); ++i)
            buffers.data[i] = block.byteAt(static_cast<int>(i));
        expectEncodeThenDecodeMatchTheReference(GetParam(), buffers);
    }
}

TEST_P(HammingWidths, OneDataByteLandsInItsOwnLaneOnly) {
    struct Case {
        std::uint8_t dataByte;
        std::uint8_t lowNibble, highNibble;  // at nibble bytes 0 and G
        std::uint8_t lowCode, highCode;      // at code bytes 0 and G
    };
    const Case cases[] = {
        {0xF1, 0x01, 0x0F, 0x1E, 0xFF},
        {0x08, 0x08, 0x00, 0x8D, 0x00},  // lanes are independent: nothing carries over
    };
    const int groupSize = GetParam().groupSize;
    for (const Case& c : cases) {
        HammingBuffers buffers;
        buffers.nibbles.fill(0x77);
        buffers.codes.fill(0x77);
        buffers.data[0] = c.dataByte;
        ASSERT_EQ(buffers.run(GetParam().encode), 0);
        Buffer nibbles{}, codes{};
        nibbles[0] = c.lowNibble;
        nibbles[groupSize] = c.highNibble;
        codes[0] = c.lowCode;
        codes[groupSize] = c.highCode;
        EXPECT_EQ(buffers.nibbles, nibbles) << "data byte " << int(c.dataByte);
        EXPECT_EQ(buffers.codes, codes) << "data byte " << int(c.dataByte);
    }
}

TEST_P(HammingWidths, LastCodeBytesHoldTheHighNibblesOfTheLastDataBytes) {
    const int groupSize = GetParam().groupSize;
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    ASSERT_EQ(buffers.run(GetParam().encode), 0);
    for (int r = 0; r < groupSize; ++r) {
        const std::uint8_t dataByte = buffers.data[HAM_DATA_BYTES - groupSize + r];
        EXPECT_EQ(buffers.codes[HAM_CODE_BYTES - groupSize + r],
                  reference::kCodeBytes[dataByte >> 4])
            << "code byte " << HAM_CODE_BYTES - groupSize + r;
    }
}

TEST_P(HammingWidths, OneDamagedBytePerVectorDecodesToZeroInThatLaneOnly) {
    const int groupSize = GetParam().groupSize;
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    const Buffer before = buffers.data;
    ASSERT_EQ(buffers.run(GetParam().encode), 0);
    Buffer expectedNibbles = buffers.nibbles;
    // Vector v loses lane v mod G: one bit, two bits or the top bit flipped in turn.
    const std::uint8_t flips[] = {0x01, 0x03, 0x80};
    for (int vector = 0; vector < HAM_CODE_BYTES / groupSize; ++vector) {
        const int k = vector * groupSize + vector % groupSize;
        buffers.codes[k] ^= flips[vector % 3];
        expectedNibbles[k] = 0;
    }
    ASSERT_EQ(buffers.run(GetParam().decode), 0);
    EXPECT_EQ(buffers.nibbles, expectedNibbles);
    EXPECT_EQ(buffers.data, reference::packedDataFor(expectedNibbles, groupSize, before));
}

TEST_P(HammingWidths, AnyCodeBytesDecodeAsTheReferenceSays) {
    const int groupSize = GetParam().groupSize;
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    const Buffer before = buffers.data;
    // Every third byte arbitrary (mostly damaged), the others valid code bytes.
    WorkAreaRandom random;
    for (int k = 0; k < HAM_CODE_BYTES; ++k) {
        const std::uint8_t byte = random.nextByte();
        buffers.codes[k] = k % 3 == 0 ? byte : reference::kCodeBytes[byte & 0x0F];
    }
    ASSERT_EQ(buffers.run(GetParam().decode), 0);
    const Buffer nibbles = reference::decodedNibblesFor(buffers.codes);
    EXPECT_EQ(buffers.nibbles, nibbles);
    EXPECT_EQ(buffers.data, reference::packedDataFor(nibbles, groupSize, before));
}

TEST_P(HammingWidthsFault, BadBufferPointerGivesOneEveryTime) {
    HammingBuffers buffers;
    std::uint8_t* bad = reinterpret_cast<std::uint8_t*>(16);  // aligned, but no memory there
    std::uint8_t* const* const good[] = {&buffers.nibblePointer, &buffers.codePointer,
                                         &buffers.dataPointer};
    for (int badRole = 0; badRole < 3; ++badRole) {
        SCOPED_TRACE("bad buffer " + std::to_string(badRole + 1));
        std::uint8_t* const* arguments[3] = {good[0], good[1], good[2]};
        arguments[badRole] = &bad;
        for (int call = 0; call < 10; ++call) {
            EXPECT_EQ(GetParam().encode(arguments[0], arguments[1], arguments[2]), 1);
            EXPECT_EQ(GetParam().decode(arguments[0], arguments[1], arguments[2]), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kernels, HammingWidths, testing::ValuesIn(kWidths), widthName);
INSTANTIATE_TEST_SUITE_P(Kernels, HammingWidthsFault, testing::ValuesIn(kWidths), widthName);

}  // namespace
