#include "platform/exceptionGuard.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "platform/fpuEnvironment.h"

namespace {

void storeOverflowingProduct() {
    // The largest double squared does not fit a double: with overflow unmasked the store
    // raises the fault, which arrives at the following fwait.
    const double largest = std::numeric_limits<double>::max();
    double result = 0;
    asm volatile(
        "fldl %1\n\t"
        "fmul %%st(0), %%st(0)\n\t"
        "fstpl %0\n\t"
        "fwait"
        : "=m"(result)
        : "m"(largest));
}

TEST(ExceptionGuard, BodyThatReturnsGivesZero) {
    int calls = 0;
    EXPECT_EQ(platform::runGuarded([&] { ++calls; }), 0);
    EXPECT_EQ(calls, 1);
}

TEST(ExceptionGuardFault, EachKindOfProcessorExceptionGivesOneEveryTime) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        EXPECT_EQ(platform::runGuarded([] { *static_cast<volatile int*>(nullptr) = 1; }), 1);
        EXPECT_EQ(platform::runGuarded([] { asm volatile("ud2"); }), 1);
        EXPECT_EQ(platform::runGuarded([] { storeOverflowingProduct(); }), 1);
        EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
    }
}

TEST(ExceptionGuardFault, RecoveryRestoresTheFloatingPointEnvironment) {
    const std::uint32_t mxcsr = platform::readMxcsr();
    ASSERT_EQ(platform::runGuarded([] {
                  asm volatile("fldz\n\tfldz\n\tfldz");  // left on the stack by the fault
                  *static_cast<volatile int*>(nullptr) = 1;
              }),
              1);
    EXPECT_EQ(platform::readFpuControlWord(), platform::kProgramFpuControlWordAsRead);
    EXPECT_EQ(platform::readMxcsr(), mxcsr);
    // An empty register stack takes eight loads without a stack fault.
    double sum = 0;
    asm volatile(
        "fld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\tfld1\n\t"
        "faddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\tfaddp\n\t"
        "fstpl %0"
        : "=m"(sum));
    EXPECT_EQ(sum, 8.0);
}

TEST(ExceptionGuardFault, InnermostGuardCatchesAndOuterGoesOn) {
    int innerResult = -1;
    bool outerContinued = false;
    const int outerResult = platform::runGuarded([&] {
        innerResult = platform::runGuarded([] { asm volatile("ud2"); });
        outerContinued = true;
    });
    EXPECT_EQ(innerResult, 1);
    EXPECT_TRUE(outerContinued);
    EXPECT_EQ(outerResult, 0);
    EXPECT_EQ(platform::runGuarded([] { asm volatile("ud2"); }), 1);
}

TEST(ExceptionGuardFaultDeathTest, FaultOutsideAnyGuardStillEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            platform::installExceptionGuard();
            *static_cast<volatile int*>(nullptr) = 1;
        },
        "");
}

}  // namespace
