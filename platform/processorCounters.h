#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The processor's time-stamp counter and the CPUID barrier.
//
// Caveat: on current processors the time-stamp counter ticks at a fixed nominal rate, whatever
// clock the core actually runs at (turbo, power saving). A "cycle" read here is therefore a
// reference cycle of that nominal rate, not a core clock cycle.

#include <cpuid.h>
#include <x86intrin.h>

#include <cstdint>

namespace platform {

// CPUID leaf 0 as a serialising barrier: every earlier instruction completes before any later
// one starts. The returned values are discarded. Clobbers nothing the caller can see.
inline void serialise() {
    unsigned int eax, ebx, ecx, edx;
    __cpuid(0, eax, ebx, ecx, edx);
    asm volatile("" : : "r"(eax), "r"(ebx), "r"(ecx), "r"(edx) : "memory");
}

// The 64-bit time-stamp counter, read without a barrier before it.
inline std::uint64_t readTimeStampCounter() { return __rdtsc(); }

// CPUID leaf 0, then the time-stamp counter: what the timing harness reads on both sides of a
// kernel call.
inline std::uint64_t serialisedTimeStamp() {
    serialise();
    return __rdtsc();
}

// Clears the MMX state (EMMS) and then serialises. Raises SIGILL on a processor without MMX, so
// callers run it under the exception guard.
void resetMultimediaState();

}  // namespace platform
