#pragma once
// Runs an assembly kernel body with known values in the registers the System V ABI calls
// callee-saved, and reports which of them it failed to give back.

#include <cstdint>

extern "C" {
// Any kernel body of up to four pointer arguments, cast to this type.
using KernelBody = void (*)();

// Calls body(a, b, c, d). Result: bit 0 rbx, 1 rbp, 2 r12, 3 r13, 4 r14, 5 r15, set for each
// register whose value the call changed; 0 when the body kept them all.
std::uint32_t CalleeSavedRegistersChangedBy(KernelBody body, std::uint8_t* a, std::uint8_t* b,
                                            std::uint8_t* c, std::uint8_t* d);
}
