// transformOnce: one call of a transform kernel on the work area, as a run makes it, for
// counting the kernel's work with callgrind (bench/transformWork.sh). Run by hand.
//
// Usage: transformOnce fpu|sse2. Exit status 0 when the kernel returned 0.

#include <cstdio>
#include <cstring>

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "testrun/testKernel.h"
#include "testrun/workAreaUnit.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

int main(int argc, char** argv) {
    TestKernel kernel = nullptr;
    if (argc == 2 && std::strcmp(argv[1], "fpu") == 0) kernel = YuvFourierFpu;
    if (argc == 2 && std::strcmp(argv[1], "sse2") == 0) kernel = YuvFourierSse2;
    if (kernel == nullptr) {
        std::fprintf(stderr, "Usage: transformOnce fpu|sse2\n");
        return 2;
    }

    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();  // TestBuffer3 holds the start-up bytes, as after the Hamming tests
    const std::int32_t result = kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
    std::printf("%s: result %d\n", argv[1], result);
    return result == 0 ? 0 : 1;
}
