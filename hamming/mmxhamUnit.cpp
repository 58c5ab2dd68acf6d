// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The MMX kernels' wrappers: read the three buffer references, hold the exception guard and,
// for the decode, the syndrome scratch block; the work itself is in mmxhamUnit.S.

#include "hamming/mmxhamUnit.h"

#include "hamming/syndromeScratchUnit.h"
#include "platform/exceptionGuard.h"

extern "C" std::int32_t HamMmxEncode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { HamMmxEncodeRepetitions(*nibbles, *codes, *data); });
}

extern "C" std::int32_t HamMmxDecode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    const SyndromeScratchBlock scratchBlock;
    if (scratchBlock.scratch() == nullptr) return 1;
    return platform::runGuarded(
        [&] { HamMmxDecodeRepetitions(*nibbles, *codes, *data, scratchBlock.scratch()); });
}
