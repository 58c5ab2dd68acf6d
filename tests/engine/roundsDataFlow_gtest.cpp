// Run in rounds, every call finds the data it finds in order: each encode the work area's
// start-up data block, each decode the code its own encode left, each transform the same pixel
// block. The program's real kernels on the work area, in the orders the rounds use, against the
// reference model.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "engine/roundsUnit.h"
#include "engine/testTableUnit.h"
#include "hamming/hammingReference.h"
#include "kernel/workAreaUnit.h"

namespace {

using reference::Buffer;

Buffer bufferAt(const std::uint8_t* start) {
    Buffer buffer;
    std::copy_n(start, buffer.size(), buffer.begin());
    return buffer;
}

// Data bytes per register of each Hamming test's width; the transforms have none.
const std::map<int, int> kGroupSize = {{0, 1}, {1, 1}, {2, 4},  {3, 4},
                                       {4, 8}, {5, 8}, {6, 16}, {7, 16}};

TEST(RoundsDataFlow, EveryCallFindsTheDataItFindsInOrder) {
    BuildKernelWorkArea();
    RebuildKernelWorkArea();
    const Buffer startup = bufferAt(TestBuffer3);
    const TestTable tests = benchmarkTests();
    const auto units = callingUnits(tests);
    // Two rounds of different orders, one after the other, as a run makes them.
    for (const std::vector<int>& order : unitOrders(static_cast<int>(units.size()), 2, 2024)) {
        for (const int test : roundTests(units, order)) {
            const TestEntry& entry = tests[static_cast<std::size_t>(test)];
            EXPECT_EQ(bufferAt(TestBuffer3), startup) << entry.kernelName << " finds the data";
            ASSERT_EQ(entry.kernel(&TestBuffer1, &TestBuffer2, &TestBuffer3), 0)
                << entry.kernelName;
            if (entry.resetsMultimediaState) SystemSequencePlatform().resetMultimediaState();
            const auto width = kGroupSize.find(test);
            if (width == kGroupSize.end()) continue;
            const Buffer nibbles = reference::nibbleBufferFor(startup, width->second);
            EXPECT_EQ(bufferAt(TestBuffer1), nibbles) << entry.kernelName;
            EXPECT_EQ(bufferAt(TestBuffer2), reference::codeBufferFor(nibbles)) << entry.kernelName;
            EXPECT_EQ(bufferAt(TestBuffer3), startup) << entry.kernelName << " leaves the data";
        }
    }
}

}  // namespace
