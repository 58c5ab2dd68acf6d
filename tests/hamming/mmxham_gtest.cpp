#include "hamming/mmxhamUnit.h"

#include <gtest/gtest.h>

#include "hamming/hammingReference.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"

namespace {

using reference::HammingBuffers;

// Eight x87 loads in a row: with the tag word left full by MMX work (no EMMS), the first load
// overflows the stack, which the program's control word turns into a fault.
int eightX87LoadsFault() {
    return platform::runGuarded([] {
        double sum = 0;
        asm volatile(
            "fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\t"
            "faddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\t"
            "fstpl %0\n\t"
            "fwait"
            : "=m"(sum));
        if (sum != 8.0) asm volatile("ud2");
    });
}

TEST(HamMmxKernels, LeaveTheX87UnitEmptyAfterTheirEmms) {
    HammingBuffers buffers;
    buffers.fillWithStartupData();
    ASSERT_EQ(buffers.run(HamMmxEncode), 0);
    EXPECT_EQ(eightX87LoadsFault(), 0);
    ASSERT_EQ(buffers.run(HamMmxDecode), 0);
    EXPECT_EQ(eightX87LoadsFault(), 0);
}

TEST(HamMmxKernels, BodiesGiveBackTheCalleeSavedRegisters) {
    HammingBuffers buffers;
    alignas(16) std::uint8_t scratch[16] = {};
    EXPECT_EQ(buffers.calleeSavedChangedBy(HamMmxEncodeRepetitions), 0u);
    EXPECT_EQ(buffers.calleeSavedChangedBy(HamMmxDecodeRepetitions, scratch), 0u);
}

TEST(HamMmxKernelsFault, X87UnitIsUsableAfterARunCutShort) {
    // The unpack loads MMX registers, then its first store faults: the kernel's own EMMS never
    // runs, and the guard's recovery must clear the MMX state.
    HammingBuffers buffers;
    buffers.nibblePointer = reinterpret_cast<std::uint8_t*>(16);
    for (int call = 0; call < 10; ++call) {
        ASSERT_EQ(buffers.run(HamMmxEncode), 1);
        EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
        EXPECT_EQ(eightX87LoadsFault(), 0);
    }
}

}  // namespace
