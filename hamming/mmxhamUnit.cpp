// The MMX kernels' wrappers: read the three buffer references, hold the exception guard and,
// for the decode, the syndrome scratch block; the work itself is in mmxhamUnit.S.

#include "hamming/mmxhamUnit.h"

#include "hamming/syndromeScratchUnit.h"
#include "platform/exceptionGuard.h"

extern "C" std::int32_t HamMmxEncode(std::uint8_t* const* nibbleBuffer,
                                     std::uint8_t* const* codeBuffer,
                                     std::uint8_t* const* dataBuffer) {
    return platform::runGuarded(
        [&] { HamMmxEncodeRepetitions(*nibbleBuffer, *codeBuffer, *dataBuffer); });
}

extern "C" std::int32_t HamMmxDecode(std::uint8_t* const* nibbleBuffer,
                                     std::uint8_t* const* codeBuffer,
                                     std::uint8_t* const* dataBuffer) {
    const SyndromeScratchBlock scratchBlock;
    if (scratchBlock.scratch() == nullptr) return 1;
    return platform::runGuarded([&] {
        HamMmxDecodeRepetitions(*nibbleBuffer, *codeBuffer, *dataBuffer, scratchBlock.scratch());
    });
}
