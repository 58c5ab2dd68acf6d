// kernelOnce: builds the kernel work area as the program does and calls one kernel once, by
// name, on TestBuffer1, TestBuffer2 and TestBuffer3. Meant to run under
// `valgrind --tool=callgrind` (checkKernelWork.sh, bench/transformWork.sh), so that the call counts
// of the kernel's inner routines can be checked against its fixed work.

#include <cstdio>
#include <cstring>

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "testrun/testTableUnit.h"
#include "testrun/workAreaUnit.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: kernelOnce KERNEL\nKernels:");
        for (const TestEntry& entry : benchmarkTests())
            std::fprintf(stderr, " %s", entry.kernelName);
        std::fprintf(stderr, "\n");
        return 2;
    }
    for (const TestEntry& entry : benchmarkTests()) {
        if (std::strcmp(entry.kernelName, argv[1]) != 0) continue;
        platform::setProgramFpuEnvironment();
        platform::installExceptionGuard();
        BuildKernelWorkArea();
        const std::int32_t result = entry.kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
        std::printf("%s: result %d\n", entry.kernelName, result);
        return result == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "kernelOnce: no kernel named '%s'\n", argv[1]);
    return 2;
}
