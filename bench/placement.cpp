// One timing program of bench/placement.sh, built several times with a different amount of
// other code linked before the kernel layer (placementPadding.S). In the order of a run and on
// the buffers the earlier kernels leave behind, it calls each kernel ten times, each call alone
// between two serialised time-stamp reads, and prints per kernel a line
//   NAME OFFSET CYCLES
// with the kernel's offset within its page (where the link put it) and its best call in
// time-stamp cycles.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "engine/testTableUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "platform/processorCounters.h"

namespace {

constexpr int kCalls = 10;
constexpr std::uintptr_t kPageSize = 4096;

}  // namespace

int main() {
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();
    for (const TestEntry& entry : benchmarkTests()) {
        std::uint64_t best = std::numeric_limits<std::uint64_t>::max();
        for (int call = 0; call < kCalls; ++call) {
            const std::uint64_t before = platform::serialisedTimeStamp();
            const std::int32_t result = entry.kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3);
            const std::uint64_t after = platform::serialisedTimeStamp();
            if (result != 0) {
                std::fprintf(stderr, "%s failed\n", entry.kernelName);
                return 1;
            }
            best = std::min(best, after - before);
        }
        const auto offset = reinterpret_cast<std::uintptr_t>(entry.kernel) % kPageSize;
        std::printf("%s %lu %lu\n", entry.kernelName, static_cast<unsigned long>(offset),
                    static_cast<unsigned long>(best));
    }
    return 0;
}
