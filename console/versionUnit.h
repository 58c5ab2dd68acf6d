#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The version of both programs and of their package, set once in the build (CMakeLists.txt).

#include <string>
#include <string_view>

// The version set in the build, which the about box shows too.
const char* programVersion();

// The answer to --version, two lines without the final newline: the program name, the product
// title in brackets and the version; then `Kernel code ` and the kernel code's fingerprint
// (kernelCodeFingerprint), the same in both programs of one build.
std::string versionLine(std::string_view programName);
