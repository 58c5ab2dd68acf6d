#include "testrun/testTableUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hamming/bit32hamUnit.h"
#include "hamming/bit8hamUnit.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "support/fakeRunList.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

namespace {

TEST(TestTable, TheTenTestsInRunOrderWithTheirLabelsAndKernels) {
    const struct {
        const char* label;
        TestKernel kernel;
    } expected[] = {
        {"8-битное кодирование Хэмминга:", Ham8Encode},
        {"8-битное декодирование Хэмминга:", Ham8Decode},
        {"32-битное кодирование Хэмминга:", Ham32Encode},
        {"32-битное декодирование Хэмминга:", Ham32Decode},
        {"кодирование Хэмминга (MMX):", HamMmxEncode},
        {"декодирование Хэмминга (MMX):", HamMmxDecode},
        {"кодирование Хэмминга (SSE2):", HamSseEncode},
        {"декодирование Хэмминга (SSE2):", HamSse2Decode},
        {"YUV преобразование и преобразование Фурье(почти JPEG) - FPU:", YuvFourierFpu},
        {"YUV преобразование и преобразование Фурье(почти JPEG) - SSE2:", YuvFourierSse2},
    };
    const auto tests = benchmarkTests();
    ASSERT_EQ(tests.size(), std::size(expected));
    for (std::size_t test = 0; test < tests.size(); ++test) {
        EXPECT_STREQ(tests[test].label, expected[test].label) << "test " << test;
        EXPECT_EQ(tests[test].kernel, expected[test].kernel) << "test " << test;
    }
}

// One log for the run's lines and messages, the kernel calls and the platform's calls, in order.
std::vector<std::string>* runLog = nullptr;

std::int32_t loggingKernel(std::uint8_t* const*, std::uint8_t* const*, std::uint8_t* const*) {
    runLog->push_back("kernel");
    return 0;
}

TEST(TestTable, MultimediaResetFallsAfterTheTenRunsAndBeforeTheResultLinesOfTestsFourAndFive) {
    FakeSequencePlatform system;
    runLog = &system.calls;
    const FakeTestTable tests = programTestsTiming(loggingKernel);
    FakeRunList list(&system.calls);
    ResultTable results{};
    runTestSequence({false, false}, tests, list, system, results);
    runLog = nullptr;

    for (std::size_t test = 0; test < tests.size(); ++test) {
        std::vector<std::string> expected = {tests[test].label, "messages"};
        expected.insert(expected.end(), kRunsPerTest, "kernel");
        if (test == 4 || test == 5) expected.push_back("emms");
        expected.push_back("0 млн. тактов");
        expected.push_back("0 миллисекунд");
        const auto start = std::find(system.calls.begin(), system.calls.end(), expected.front());
        ASSERT_LE(expected.size(), static_cast<std::size_t>(system.calls.end() - start));
        EXPECT_EQ(std::vector<std::string>(start, start + expected.size()), expected)
            << "test " << test;
    }
}

}  // namespace
