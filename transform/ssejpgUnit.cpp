#include "transform/ssejpgUnit.h"

#include "platform/exceptionGuard.h"

extern "C" std::int32_t YuvFourierSse2(std::uint8_t* const* planeBuffer,
                                       std::uint8_t* const* intermediateBuffer,
                                       std::uint8_t* const* pixelBuffer) {
    return platform::runGuarded(
        [&] { YuvFourierSse2Repetitions(*planeBuffer, *intermediateBuffer, *pixelBuffer); });
}
