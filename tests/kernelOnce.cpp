// kernelOnce: builds the kernel work area as the program does and calls one kernel once, by
// name, on TestBuffer1, TestBuffer2 and TestBuffer3. With --cores N it times the kernel's test
// instead as the console's every-core run does: N worker processes, ten calls each, none
// replaced. Meant to run under `valgrind --tool=callgrind` (checkKernelWork.sh,
// bench/transformWork.sh), so that the call counts of the kernel's inner routines can be checked
// against its fixed work, in every worker.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/coresRunUnit.h"
#include "engine/testTableUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"

namespace {

// Ten calls by each of `workers` processes, on the usable processors in turn.
int timeOnEveryCore(int test, int workers) {
    std::vector<int> processors = platform::usableProcessors();
    for (std::size_t next = 0; processors.size() < static_cast<std::size_t>(workers); ++next)
        processors.push_back(processors[next]);
    processors.resize(static_cast<std::size_t>(workers));
    RunTable oneCore = emptyRunTable(static_cast<int>(benchmarkTests().size()));
    // A call under callgrind takes seconds: a time-out to match.
    millisecondRow(oneCore, test).fill(60'000);
    const CoresTest result = runTestOnEveryCore(benchmarkTests(), test, oneCore, processors, false);
    std::printf("%s on %d workers: %s\n", benchmarkTests()[test].kernelName, workers,
                result.failure.empty() ? "timed" : result.failure.c_str());
    return result.failure.empty() && result.machineCycles ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const bool cores = argc == 4 && std::strcmp(argv[2], "--cores") == 0 && std::atoi(argv[3]) > 0;
    if (argc != 2 && !cores) {
        std::fprintf(stderr, "Usage: kernelOnce KERNEL [--cores N]\nKernels:");
        for (const TestEntry& entry : benchmarkTests())
            std::fprintf(stderr, " %s", entry.kernelName);
        std::fprintf(stderr, "\n");
        return 2;
    }
    for (int test = 0; test < static_cast<int>(benchmarkTests().size()); ++test) {
        const TestEntry& entry = benchmarkTests()[test];
        if (std::strcmp(entry.kernelName, argv[1]) != 0) continue;
        platform::setProgramFpuEnvironment();
        platform::installExceptionGuard();
        BuildKernelWorkArea();
        if (cores) return timeOnEveryCore(test, std::atoi(argv[3]));
        const std::int32_t result = entry.kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
        std::printf("%s: result %d\n", entry.kernelName, result);
        return result == 0 ? 0 : 1;
    }
    std::fprintf(stderr, "kernelOnce: no kernel named '%s'\n", argv[1]);
    return 2;
}
