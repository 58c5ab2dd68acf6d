#include "transform/fpujpgUnit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "platform/fpuEnvironment.h"
#include "transform/transformCases.h"

namespace {

using reference::Area;
using reference::Transform;
using reference::TransformBuffers;

bool sameBits(const Transform& a, const Transform& b) {
    return std::memcmp(&a, &b, sizeof(Transform)) == 0;
}

TEST(YuvFourierFpu, KnownBlocksGiveTheirTransforms) {
    for (const reference::KnownBlock& block : reference::knownBlocks())
        reference::expectKnownBlockTransformed(YuvFourierFpu, block);
}

TEST(YuvFourierFpu, CallLeavesOneRepetitionsValuesWhateverTheAreasHeld) {
    const Area pixels = reference::startupPixelData();
    TransformBuffers fromZeros;
    TransformBuffers fromNaNs;
    fromZeros.setPixels(pixels);
    fromNaNs.setPixels(pixels);
    fromNaNs.fillAreas(std::numeric_limits<double>::quiet_NaN());

    ASSERT_EQ(fromZeros.run(YuvFourierFpu), 0);
    ASSERT_EQ(fromNaNs.run(YuvFourierFpu), 0);
    const Transform once = fromZeros.result();
    EXPECT_TRUE(sameBits(fromNaNs.result(), once)) << "every element is overwritten";
    ASSERT_EQ(fromZeros.run(YuvFourierFpu), 0);
    EXPECT_TRUE(sameBits(fromZeros.result(), once)) << "a second call leaves the same values";
}

TEST(YuvFourierFpu, QuietNaNPropagatesWithoutFailing) {
    reference::expectQuietNaNPropagates(YuvFourierFpu);
}

TEST(YuvFourierFpu, LeavesAnEmptyStackAndTheProgramsControlWord) {
    TransformBuffers buffers;
    buffers.setPixels(reference::startupPixelData());
    ASSERT_EQ(buffers.run(YuvFourierFpu), 0);
    const reference::X87State state = reference::readX87State();
    EXPECT_EQ(state.abridgedTags, 0) << "registers left on the stack";
    EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
}

TEST(YuvFourierFpu, BodyKeepsTheCalleeSavedRegisters) {
    reference::expectBodyKeepsCalleeSavedRegisters(
        reinterpret_cast<KernelBody>(YuvFourierFpuRepetitions));
}

// Overflow and invalid operations are unmasked in the program's control word. Ten calls in a
// row fail alike: each recovery reloads the control word, or the next overflow would store an
// infinity and pass.
TEST(YuvFourierFpuFault, OverflowAndInvalidOperationsGiveOneAndAReinitialisedUnit) {
    for (const reference::NamedBlock& block : reference::blocksTheX87KernelFailsOn()) {
        SCOPED_TRACE(block.name);
        TransformBuffers buffers;
        buffers.setPixels(block.pixels);
        for (int call = 0; call < 10; ++call) {
            EXPECT_EQ(buffers.run(YuvFourierFpu), 1);
            const reference::X87State state = reference::readX87State();
            EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
            EXPECT_EQ(state.statusWord, 0) << "flags and stack top cleared";
            EXPECT_EQ(state.abridgedTags, 0) << "stack emptied";
        }
        EXPECT_TRUE(buffers.guardBytesIntact());
    }
    // The reinitialised unit computes as before.
    reference::expectKnownBlockTransformed(YuvFourierFpu, reference::knownBlocks().back());
}

TEST(YuvFourierFpuFault, BadBufferPointerGivesOneEveryTime) {
    TransformBuffers buffers;
    std::uint8_t* bad = reinterpret_cast<std::uint8_t*>(16);
    for (int call = 0; call < 10; ++call) {
        EXPECT_EQ(YuvFourierFpu(&bad, &buffers.intermediatePointer, &buffers.pixelPointer), 1);
        EXPECT_EQ(YuvFourierFpu(&buffers.planePointer, &buffers.intermediatePointer, &bad), 1);
        EXPECT_EQ(reference::readX87State().abridgedTags, 0);
    }
}

}  // namespace
