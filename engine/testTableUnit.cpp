// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/testTableUnit.h"

#include <algorithm>
#include <array>

#include "hamming/avx2hamUnit.h"
#include "hamming/bit32hamUnit.h"
#include "hamming/bit8hamUnit.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "results/cpubenchUnit.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

namespace {

// A new test is one more entry here; README.md ("Adding a kernel") lists what else it needs.
constexpr std::array kTests = {
    TestEntry{Ham8Encode, "Ham8Encode", "ham8-encode", "8-битное кодирование Хэмминга:",
              "Bench - кодирование Хэмминга с использованием 8-разрядных регистров",
              "02-ham8-encode.svg", false, false},
    TestEntry{Ham8Decode, "Ham8Decode", "ham8-decode", "8-битное декодирование Хэмминга:",
              "Bench - декодирование Хэмминга с использованием 8-разрядных регистров",
              "03-ham8-decode.svg", false, true},
    TestEntry{Ham32Encode, "Ham32Encode", "ham32-encode", "32-битное кодирование Хэмминга:",
              "Bench - кодирование Хэмминга с использованием 32-разрядных регистров",
              "04-ham32-encode.svg", false, false},
    TestEntry{Ham32Decode, "Ham32Decode", "ham32-decode", "32-битное декодирование Хэмминга:",
              "Bench - декодирование Хэмминга с использованием 32-разрядных регистров",
              "05-ham32-decode.svg", false, true},
    TestEntry{HamMmxEncode, "HamMmxEncode", "ham-mmx-encode",
              "кодирование Хэмминга (MMX):", "Bench - кодирование Хэмминга с использованием MMX",
              "06-mmx-encode.svg", true, false},
    TestEntry{HamMmxDecode, "HamMmxDecode", "ham-mmx-decode", "декодирование Хэмминга (MMX):",
              "Bench - декодирование Хэмминга с использованием MMX", "07-mmx-decode.svg", true,
              true},
    TestEntry{HamSseEncode, "HamSseEncode", "ham-sse-encode",
              "кодирование Хэмминга (SSE2):", "Bench - кодирование Хэмминга с использованием SSE",
              "08-sse-encode.svg", false, false},
    TestEntry{HamSse2Decode, "HamSse2Decode", "ham-sse2-decode", "декодирование Хэмминга (SSE2):",
              "Bench - декодирование Хэмминга с использованием SSE2", "09-sse2-decode.svg", false,
              true},
    TestEntry{YuvFourierFpu, "YuvFourierFpu", "yuv-fourier-fpu",
              "YUV преобразование и преобразование Фурье(почти JPEG) - FPU:",
              "Bench - YUV и Фурье преобразования (FPU)", "10-fpu-transform.svg", false, false},
    TestEntry{YuvFourierSse2, "YuvFourierSse2", "yuv-fourier-sse2",
              "YUV преобразование и преобразование Фурье(почти JPEG) - SSE2:",
              "Bench - YUV и Фурье преобразования (SSE2)", "11-sse2-transform.svg", false, false},
    TestEntry{HamAvx2Encode, "HamAvx2Encode", "ham-avx2-encode", "кодирование Хэмминга (AVX2):",
              "Bench - кодирование Хэмминга с использованием AVX2", nullptr, false, false, hasAvx2},
};

// A result file stores the first kTestCount tests (its 800-byte table, which other copies read),
// and every processor runs them; a test after them appears in the console's outputs alone.
static_assert(kTests.size() >= kTestCount,
              "a result file holds kTestCount tests (record/resultTableUnit.h): the table starts "
              "with them");
static_assert(std::all_of(kTests.begin(), kTests.begin() + kTestCount,
                          [](const TestEntry& entry) { return entry.supported == nullptr; }),
              "a result file's tests run on every processor; a test that needs more comes after "
              "them");

}  // namespace

TestTable benchmarkTests() { return kTests; }

ResultFileTests resultFileTests() { return std::span(kTests).first<kTestCount>(); }

std::vector<TestName> benchmarkTestNames() {
    std::vector<TestName> names;
    for (const TestEntry& entry : kTests)
        names.push_back({entry.id, entry.label, entry.runsHere()});
    return names;
}

const char* comparisonCaption(int selectedTest) {
    if (selectedTest < kFirstSelectableTest || selectedTest > kLastSelectableTest) return nullptr;
    return kTests[static_cast<std::size_t>(testOfNumber(selectedTest))].caption;
}
