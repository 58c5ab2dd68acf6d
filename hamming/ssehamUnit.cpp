// The SSE kernels' wrappers: read the three buffer references, hold the exception guard and,
// for the decode, the syndrome scratch block; the work itself is in ssehamUnit.S.

#include "hamming/ssehamUnit.h"

#include "hamming/syndromeScratchUnit.h"
#include "platform/exceptionGuard.h"

extern "C" std::int32_t HamSseEncode(std::uint8_t* const* nibbleBuffer,
                                     std::uint8_t* const* codeBuffer,
                                     std::uint8_t* const* dataBuffer) {
    return platform::runGuarded(
        [&] { HamSseEncodeRepetitions(*nibbleBuffer, *codeBuffer, *dataBuffer); });
}

extern "C" std::int32_t HamSse2Decode(std::uint8_t* const* nibbleBuffer,
                                      std::uint8_t* const* codeBuffer,
                                      std::uint8_t* const* dataBuffer) {
    const SyndromeScratchBlock scratchBlock;
    if (scratchBlock.scratch() == nullptr) return 1;
    return platform::runGuarded([&] {
        HamSse2DecodeRepetitions(*nibbleBuffer, *codeBuffer, *dataBuffer, scratchBlock.scratch());
    });
}
