#pragma once
// The form every benchmark kernel takes.
//
// Each argument is the address of a buffer's pointer variable (TestBuffer1, TestBuffer2,
// TestBuffer3, in this order), not the buffer itself; a kernel reads the three buffer addresses
// when it starts. Result 0 when the kernel did its full, fixed work, 1 when a processor
// exception cut it short. No exception ever leaves a kernel.

#include <cstdint>

extern "C" {
using TestKernel = std::int32_t (*)(std::uint8_t* const* buffer1, std::uint8_t* const* buffer2,
                                    std::uint8_t* const* buffer3);
}
