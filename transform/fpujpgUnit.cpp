// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

#include "transform/fpujpgUnit.h"

#include "platform/exceptionGuard.h"

// The guard's fault path runs FNINIT and reloads the program's control word, so a call cut
// short by an x87 fault leaves an empty, clean unit for the next call.
extern "C" std::int32_t YuvFourierFpu(KernelBuffer planeBuffer, KernelBuffer intermediateBuffer,
                                      KernelBuffer pixelBuffer) {
    return platform::runGuarded(
        [&] { YuvFourierFpuRepetitions(*planeBuffer, *intermediateBuffer, *pixelBuffer); });
}
