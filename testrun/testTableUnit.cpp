#include "testrun/testTableUnit.h"

#include <array>

#include "hamming/bit8hamUnit.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

namespace {

constexpr std::array kTests = {
    TestEntry{"8-битное кодирование Хэмминга:", Ham8Encode, false},
    TestEntry{"8-битное декодирование Хэмминга:", Ham8Decode, false},
    TestEntry{"YUV преобразование и преобразование Фурье(почти JPEG) - FPU:", YuvFourierFpu, false},
    TestEntry{"YUV преобразование и преобразование Фурье(почти JPEG) - SSE2:", YuvFourierSse2,
              false},
};

static_assert(kTests.size() <= kTestCount);

}  // namespace

std::span<const TestEntry> benchmarkTests() { return kTests; }
