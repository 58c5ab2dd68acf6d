// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/testTableUnit.h"

#include <array>

#include "hamming/bit32hamUnit.h"
#include "hamming/bit8hamUnit.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

namespace {

constexpr std::array kTests = {
    TestEntry{"8-битное кодирование Хэмминга:", Ham8Encode, false},
    TestEntry{"8-битное декодирование Хэмминга:", Ham8Decode, false},
    TestEntry{"32-битное кодирование Хэмминга:", Ham32Encode, false},
    TestEntry{"32-битное декодирование Хэмминга:", Ham32Decode, false},
    TestEntry{"кодирование Хэмминга (MMX):", HamMmxEncode, true},
    TestEntry{"декодирование Хэмминга (MMX):", HamMmxDecode, true},
    TestEntry{"кодирование Хэмминга (SSE2):", HamSseEncode, false},
    TestEntry{"декодирование Хэмминга (SSE2):", HamSse2Decode, false},
    TestEntry{"YUV преобразование и преобразование Фурье(почти JPEG) - FPU:", YuvFourierFpu, false},
    TestEntry{"YUV преобразование и преобразование Фурье(почти JPEG) - SSE2:", YuvFourierSse2,
              false},
};

static_assert(kTests.size() == kTestCount, "every run times all ten tests");

}  // namespace

TestTable benchmarkTests() { return kTests; }
