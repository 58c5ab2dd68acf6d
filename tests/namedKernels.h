#pragma once
// The ten kernels by name, in the order of a run, for the programs that call one kernel or all
// of them outside the test sequence (kernelOnce, bench/placement).

#include "hamming/bit32hamUnit.h"
#include "hamming/bit8hamUnit.h"
#include "hamming/mmxhamUnit.h"
#include "hamming/ssehamUnit.h"
#include "testrun/testKernel.h"
#include "transform/fpujpgUnit.h"
#include "transform/ssejpgUnit.h"

struct NamedKernel {
    const char* name;
    TestKernel kernel;
};

inline constexpr NamedKernel kNamedKernels[] = {
    {"Ham8Encode", Ham8Encode},       {"Ham8Decode", Ham8Decode},
    {"Ham32Encode", Ham32Encode},     {"Ham32Decode", Ham32Decode},
    {"HamMmxEncode", HamMmxEncode},   {"HamMmxDecode", HamMmxDecode},
    {"HamSseEncode", HamSseEncode},   {"HamSse2Decode", HamSse2Decode},
    {"YuvFourierFpu", YuvFourierFpu}, {"YuvFourierSse2", YuvFourierSse2},
};
