#include "hamming/syndromeScratchUnit.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include "hamming/hammingReference.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "kernel/testKernel.h"

namespace {

using reference::HammingBuffers;

struct Decoder {
    const char* name;
    TestKernel decode;
};

const Decoder kDecoders[] = {{"HamMmxDecode", HamMmxDecode}, {"HamSse2Decode", HamSse2Decode}};

// Bytes the heap has handed out and not taken back. A block freed into the allocator's
// per-thread cache still counts as handed out, so a first call may raise it once; after that,
// calls that release their block leave it where it was.
std::size_t heapBytesInUse() { return mallinfo2().uordblks; }

// Ten decodes in a row: the heap must end where it stood after the first. (Under
// AddressSanitizer the count stays 0 and LeakSanitizer catches a lost block instead.)
void expectTenDecodesLeaveTheHeapAsTheyFoundIt(TestKernel decode, HammingBuffers& buffers,
                                               std::int32_t expectedResult) {
    ASSERT_EQ(buffers.run(decode), expectedResult);
    const std::size_t before = heapBytesInUse();
    std::int32_t results[10];
    for (std::int32_t& result : results) result = buffers.run(decode);
    const std::size_t after = heapBytesInUse();
    for (std::int32_t result : results) EXPECT_EQ(result, expectedResult);
    EXPECT_EQ(after, before);
}

TEST(SyndromeScratch, IsSixteenByteAlignedWithSixteenBytesOfTheBlockAfterIt) {
    const SyndromeScratchBlock block;
    ASSERT_NE(block.scratch(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.scratch()) % 16, 0u);
}

TEST(SyndromeScratch, DecodersReleaseTheirBlockAfterAFullRun) {
    for (const Decoder& decoder : kDecoders) {
        SCOPED_TRACE(decoder.name);
        HammingBuffers buffers;
        expectTenDecodesLeaveTheHeapAsTheyFoundIt(decoder.decode, buffers, 0);
    }
}

TEST(SyndromeScratchFault, DecodersReleaseTheirBlockAfterARunCutShort) {
    for (const Decoder& decoder : kDecoders) {
        SCOPED_TRACE(decoder.name);
        HammingBuffers buffers;
        buffers.codePointer = reinterpret_cast<std::uint8_t*>(16);
        expectTenDecodesLeaveTheHeapAsTheyFoundIt(decoder.decode, buffers, 1);
    }
}

}  // namespace
