#include "transform/ssejpgUnit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "kernel/workAreaUnit.h"
#include "platform/fpuEnvironment.h"
#include "transform/fpujpgUnit.h"
#include "transform/transformCases.h"

namespace {

using reference::Area;
using reference::Transform;
using reference::TransformBuffers;

constexpr std::uint32_t kMxcsrControlBits = ~std::uint32_t{0x3F};  // all but the sticky flags

// "" when every element of both areas is the same double (any NaN matching any NaN).
std::string differencesInBits(const Transform& got, const Transform& expected) {
    for (int n = 0; n < reference::kAreaDoubles; ++n) {
        if (!reference::sameValue(got.intermediate[n], expected.intermediate[n]))
            return "intermediate element " + std::to_string(n);
        if (!reference::sameValue(got.planes[n], expected.planes[n]))
            return "plane element " + std::to_string(n);
    }
    return "";
}

// Moves one of the work area's pointer variables for the life of the object.
class ShiftedPointer {
  public:
    ShiftedPointer(std::uint8_t*& variable, std::ptrdiff_t by)
        : variable_(variable), saved_(variable) {
        variable_ += by;
    }
    ~ShiftedPointer() { variable_ = saved_; }
    ShiftedPointer(const ShiftedPointer&) = delete;
    ShiftedPointer& operator=(const ShiftedPointer&) = delete;

  private:
    std::uint8_t*& variable_;
    std::uint8_t* const saved_;
};

TEST(YuvFourierSse2, KnownBlocksGiveTheirTransforms) {
    for (const reference::KnownBlock& block : reference::knownBlocks())
        reference::expectKnownBlockTransformed(YuvFourierSse2, block);
}

// Packed doubles round every product and sum to double, so the kernel's results are exactly
// those of the same arithmetic in the same order, overflowing inputs included.
TEST(YuvFourierSse2, MatchesPackedDoubleArithmeticBitForBit) {
    std::vector<reference::NamedBlock> blocks = reference::blocksTheX87KernelFailsOn();
    for (const reference::KnownBlock& block : reference::knownBlocks())
        blocks.push_back({block.name, block.pixels});
    for (const reference::NamedBlock& block : blocks) {
        SCOPED_TRACE(block.name);
        TransformBuffers buffers;
        buffers.setPixels(block.pixels);
        ASSERT_EQ(buffers.run(YuvFourierSse2), 0);
        EXPECT_EQ(
            differencesInBits(buffers.result(), reference::packedDoubleTransform(block.pixels)),
            "");
    }
}

TEST(YuvFourierSse2, AgreesWithTheX87KernelWithinRounding) {
    for (const reference::KnownBlock& block : reference::knownBlocks()) {
        SCOPED_TRACE(block.name);
        TransformBuffers packed;
        TransformBuffers x87;
        packed.setPixels(block.pixels);
        x87.setPixels(block.pixels);
        ASSERT_EQ(packed.run(YuvFourierSse2), 0);
        ASSERT_EQ(x87.run(YuvFourierFpu), 0);
        const Transform bound =
            reference::textbookTransform(block.pixels, reference::Terms::Magnitude);
        EXPECT_EQ(reference::mismatchesBeyondRounding(packed.result().planes, x87.result().planes,
                                                      bound.planes),
                  "");
        EXPECT_EQ(reference::mismatchesBeyondRounding(
                      packed.result().intermediate, x87.result().intermediate, bound.intermediate),
                  "");
    }
}

TEST(YuvFourierSse2, CallLeavesOneRepetitionsValuesWhateverTheAreasHeld) {
    const Area pixels = reference::startupPixelData();
    TransformBuffers buffers;
    buffers.setPixels(pixels);
    buffers.fillAreas(std::numeric_limits<double>::quiet_NaN());
    const Transform once = reference::packedDoubleTransform(pixels);
    ASSERT_EQ(buffers.run(YuvFourierSse2), 0);
    EXPECT_EQ(differencesInBits(buffers.result(), once), "");
    ASSERT_EQ(buffers.run(YuvFourierSse2), 0);
    EXPECT_EQ(differencesInBits(buffers.result(), once), "") << "a second call";
}

TEST(YuvFourierSse2, QuietNaNPropagatesWithoutFailing) {
    reference::expectQuietNaNPropagates(YuvFourierSse2);
}

// The SSE exceptions stay masked: what makes the x87 kernel fail completes here, ten times in a
// row, with infinities or NaNs in the planes.
TEST(YuvFourierSse2, InputsThatFailTheX87KernelCompleteWithNonFiniteValues) {
    const std::uint32_t mxcsr = platform::readMxcsr();
    for (const reference::NamedBlock& block : reference::blocksTheX87KernelFailsOn()) {
        SCOPED_TRACE(block.name);
        TransformBuffers buffers;
        buffers.setPixels(block.pixels);
        for (int call = 0; call < 10; ++call) EXPECT_EQ(buffers.run(YuvFourierSse2), 0);
        const Transform got = buffers.result();
        EXPECT_FALSE(std::isfinite(got.planes[0]));
        EXPECT_TRUE(buffers.guardBytesIntact());
        EXPECT_EQ(platform::readMxcsr() & kMxcsrControlBits, mxcsr & kMxcsrControlBits);
    }
}

TEST(YuvFourierSse2, LeavesMxcsrAndTheX87UnitAlone) {
    const std::uint32_t mxcsr = platform::readMxcsr();
    TransformBuffers buffers;
    buffers.setPixels(reference::startupPixelData());
    ASSERT_EQ(buffers.run(YuvFourierSse2), 0);
    EXPECT_EQ(platform::readMxcsr() & kMxcsrControlBits, mxcsr & kMxcsrControlBits);
    const reference::X87State state = reference::readX87State();
    EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
    EXPECT_EQ(state.abridgedTags, 0);
}

TEST(YuvFourierSse2, PixelBlockAndCosTableNeedNoAlignment) {
    const Area pixels = reference::startupPixelData();
    TransformBuffers buffers(TransformBuffers::Offsets{0, 0, 8});
    buffers.setPixels(pixels);
    const ShiftedPointer shifted(CosTable, 8);  // the kernel and the reference read it alike
    ASSERT_EQ(buffers.run(YuvFourierSse2), 0);
    EXPECT_TRUE(buffers.guardBytesIntact());
    EXPECT_EQ(differencesInBits(buffers.result(), reference::packedDoubleTransform(pixels)), "");
}

TEST(YuvFourierSse2, BodyKeepsTheCalleeSavedRegisters) {
    reference::expectBodyKeepsCalleeSavedRegisters(
        reinterpret_cast<KernelBody>(YuvFourierSse2Repetitions));
}

// Every 16-byte operand is an aligned access: anything that should be aligned and is not
// raises an alignment fault at its first use, ten calls in a row.
TEST(YuvFourierSse2Fault, MisalignedOperandGivesOneEveryTime) {
    struct Case {
        const char* name;
        std::uint8_t** pointerVariable;  // a work-area table moved by 8 bytes, or none
        TransformBuffers::Offsets offsets;
    };
    const Case cases[] = {
        {"plane area", nullptr, {8, 0, 0}}, {"intermediate area", nullptr, {0, 8, 0}},
        {"CosTableT", &CosTableT, {}},      {"a coefficient slot", &YuvCoefficient4, {}},
        {"zero slot", &YuvZeroSlot, {}},
    };
    const std::uint32_t mxcsr = platform::readMxcsr();
    for (const Case& misaligned : cases) {
        SCOPED_TRACE(misaligned.name);
        std::optional<ShiftedPointer> shifted;
        if (misaligned.pointerVariable != nullptr) shifted.emplace(*misaligned.pointerVariable, 8);
        TransformBuffers buffers(misaligned.offsets);
        buffers.setPixels(reference::startupPixelData());
        for (int call = 0; call < 10; ++call) EXPECT_EQ(buffers.run(YuvFourierSse2), 1);
        EXPECT_EQ(platform::readMxcsr(), mxcsr);
    }
    // Every table is back in place and the kernel computes as before.
    reference::expectKnownBlockTransformed(YuvFourierSse2, reference::knownBlocks().back());
}

TEST(YuvFourierSse2Fault, BadBufferPointerGivesOneEveryTime) {
    TransformBuffers buffers;
    std::uint8_t* bad = reinterpret_cast<std::uint8_t*>(16);
    for (int call = 0; call < 10; ++call) {
        EXPECT_EQ(YuvFourierSse2(&buffers.planePointer, &bad, &buffers.pixelPointer), 1);
        EXPECT_EQ(YuvFourierSse2(&buffers.planePointer, &buffers.intermediatePointer, &bad), 1);
    }
}

}  // namespace
