#include "transform/ssejpgUnit.h"

#include "platform/exceptionGuard.h"

extern "C" std::int32_t YuvFourierSse2(KernelBuffer planeBuffer, KernelBuffer intermediateBuffer,
                                       KernelBuffer pixelBuffer) {
    return platform::runGuarded(
        [&] { YuvFourierSse2Repetitions(*planeBuffer, *intermediateBuffer, *pixelBuffer); });
}
