#include "engine/testTableUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/runResultUnit.h"
#include "hamming/bit32hamUnit.h"
#include "hamming/bit8hamUnit.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "results/cpubenchUnit.h"
#include "support/fakeRunList.h"
#include "support/fakeSequencePlatform.h"
#include "support/fakeTestTable.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

namespace {

TEST(TestTable, TheTenTestsInRunOrderWithTheirLabelsKernelsAndIds) {
    // The result file's tests, in the order of its rows; the ids are fixed for good:
    // dashboards and stored reports are keyed by them.
    const struct {
        const char* label;
        TestKernel kernel;
        const char* id;
    } expected[] = {
        {"8-битное кодирование Хэмминга:", Ham8Encode, "ham8-encode"},
        {"8-битное декодирование Хэмминга:", Ham8Decode, "ham8-decode"},
        {"32-битное кодирование Хэмминга:", Ham32Encode, "ham32-encode"},
        {"32-битное декодирование Хэмминга:", Ham32Decode, "ham32-decode"},
        {"кодирование Хэмминга (MMX):", HamMmxEncode, "ham-mmx-encode"},
        {"декодирование Хэмминга (MMX):", HamMmxDecode, "ham-mmx-decode"},
        {"кодирование Хэмминга (SSE2):", HamSseEncode, "ham-sse-encode"},
        {"декодирование Хэмминга (SSE2):", HamSse2Decode, "ham-sse2-decode"},
        {"YUV преобразование и преобразование Фурье(почти JPEG) - FPU:", YuvFourierFpu,
         "yuv-fourier-fpu"},
        {"YUV преобразование и преобразование Фурье(почти JPEG) - SSE2:", YuvFourierSse2,
         "yuv-fourier-sse2"},
    };
    const auto tests = resultFileTests();
    ASSERT_EQ(tests.size(), std::size(expected));
    ASSERT_TRUE(std::equal(tests.begin(), tests.end(), benchmarkTests().begin(),
                           [](const TestEntry& a, const TestEntry& b) { return &a == &b; }))
        << "the program's table starts with the result file's tests";
    for (std::size_t test = 0; test < tests.size(); ++test) {
        EXPECT_STREQ(tests[test].label, expected[test].label) << "test " << test;
        EXPECT_EQ(tests[test].kernel, expected[test].kernel) << "test " << test;
        EXPECT_STREQ(tests[test].id, expected[test].id) << "test " << test;
    }
}

// Every name a test goes by is its own: scripts key results by id, tools find kernels by name,
// and the comparison window derives each button's name from its caption.
TEST(TestTable, EveryTestHasItsOwnIdKernelCaptionAndIcon) {
    const std::string captionPrefix = std::string(kComparisonCaption) + " - ";
    std::vector<std::string> ids, kernelNames, captions, icons;
    std::vector<TestKernel> kernels;
    for (const TestEntry& test : benchmarkTests()) {
        EXPECT_TRUE(std::string(test.caption).starts_with(captionPrefix)) << test.caption;
        ids.emplace_back(test.id);
        kernelNames.emplace_back(test.kernelName);
        captions.emplace_back(test.caption);
        kernels.push_back(test.kernel);
    }
    // The comparison window has a button with a picture for each test a result file holds.
    for (const TestEntry& test : resultFileTests()) {
        EXPECT_TRUE(std::string(test.icon).ends_with(".svg")) << test.icon;
        icons.emplace_back(test.icon);
    }
    const auto allDifferent = [](auto values) {
        std::sort(values.begin(), values.end());
        return std::adjacent_find(values.begin(), values.end()) == values.end();
    };
    EXPECT_TRUE(allDifferent(ids));
    EXPECT_TRUE(allDifferent(kernelNames));
    EXPECT_TRUE(allDifferent(captions));
    EXPECT_TRUE(allDifferent(icons));
    EXPECT_TRUE(allDifferent(kernels));
}

TEST(TestTable, ScriptsAndTheComparisonReadTheTable) {
    const std::vector<TestName> names = benchmarkTestNames();
    ASSERT_EQ(names.size(), benchmarkTests().size());
    for (std::size_t test = 0; test < names.size(); ++test) {
        EXPECT_EQ(names[test].id, benchmarkTests()[test].id);
        EXPECT_EQ(names[test].label, benchmarkTests()[test].label);
    }
    // The comparison window chooses among the result file's tests.
    for (std::size_t test = 0; test < resultFileTests().size(); ++test)
        EXPECT_STREQ(comparisonCaption(testNumber(static_cast<int>(test))),
                     resultFileTests()[test].caption);
    EXPECT_EQ(comparisonCaption(kFirstSelectableTest - 1), nullptr);
    EXPECT_EQ(comparisonCaption(kLastSelectableTest + 1), nullptr);
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
    RunResult result;
    runTestSequence({false, false}, tests, list, system, result);
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
