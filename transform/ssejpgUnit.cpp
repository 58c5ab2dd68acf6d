// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

#include "transform/ssejpgUnit.h"

#include "platform/exceptionGuard.h"

extern "C" std::int32_t YuvFourierSse2(KernelBuffer planeBuffer, KernelBuffer intermediateBuffer,
                                       KernelBuffer pixelBuffer) {
    return platform::runGuarded(
        [&] { YuvFourierSse2Repetitions(*planeBuffer, *intermediateBuffer, *pixelBuffer); });
}
