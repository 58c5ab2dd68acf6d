#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The form every benchmark kernel takes.
//
// Each argument is the address of a buffer's pointer variable (TestBuffer1, TestBuffer2,
// TestBuffer3, in this order), not the buffer itself; a kernel reads the three buffer addresses
// when it starts. Result 0 when the kernel did its full, fixed work, 1 when a processor
// exception cut it short. No exception ever leaves a kernel.
//
// The kernels' headers declare each kernel with TestKernelFunction, so every kernel has exactly
// this form; their definitions spell it out with KernelBuffer.

#include <cstdint>

// One kernel argument: the address of a buffer's pointer variable.
using KernelBuffer = std::uint8_t* const*;

extern "C" {
using TestKernelFunction = std::int32_t(KernelBuffer buffer1, KernelBuffer buffer2,
                                        KernelBuffer buffer3);
using TestKernel = TestKernelFunction*;
}
