// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The AVX2 encode's wrapper: reads the three buffer references and holds the exception guard;
// the work itself is in avx2hamUnit.S.

#include "hamming/avx2hamUnit.h"

#include "platform/exceptionGuard.h"

// GCC's processor model counts AVX2 only where the system saves the YMM registers (XGETBV).
bool hasAvx2() { return __builtin_cpu_supports("avx2"); }

extern "C" std::int32_t HamAvx2Encode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { HamAvx2EncodeRepetitions(*nibbles, *codes, *data); });
}
