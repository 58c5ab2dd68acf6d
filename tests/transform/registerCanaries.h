#pragma once
// Checks that an assembly body keeps the registers the System V ABI calls callee-saved.

#include <cstdint>

extern "C" {
using AreaBody = void (*)(std::uint8_t* planes, std::uint8_t* intermediate,
                          const std::uint8_t* pixels);

// Calls body(planes, intermediate, pixels) with a distinct known value in each of rbx, rbp and
// r12 to r15, and returns a mask of those the body left changed: bit 0 rbx, 1 rbp, 2 r12,
// 3 r13, 4 r14, 5 r15. The registers are restored before it returns.
std::uint32_t CallWithRegisterCanaries(AreaBody body, std::uint8_t* planes,
                                       std::uint8_t* intermediate, const std::uint8_t* pixels);
}
