// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The SSE kernels' wrappers: read the three buffer references, hold the exception guard and,
// for the decode, the syndrome scratch block; the work itself is in ssehamUnit.S.

#include "hamming/ssehamUnit.h"

#include "hamming/syndromeScratchUnit.h"
#include "platform/exceptionGuard.h"

extern "C" std::int32_t HamSseEncode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    return platform::runGuarded([&] { HamSseEncodeRepetitions(*nibbles, *codes, *data); });
}

extern "C" std::int32_t HamSse2Decode(KernelBuffer nibbles, KernelBuffer codes, KernelBuffer data) {
    const SyndromeScratchBlock scratchBlock;
    if (scratchBlock.scratch() == nullptr) return 1;
    return platform::runGuarded(
        [&] { HamSse2DecodeRepetitions(*nibbles, *codes, *data, scratchBlock.scratch()); });
}
