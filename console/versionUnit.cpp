// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/versionUnit.h"

#include "console/contactUnit.h"
#include "kernel/kernelCodeUnit.h"

const char* programVersion() { return KORVEX_VERSION; }

std::string versionLine(std::string_view programName) {
    return std::string(programName) + " (" + kProductTitle + ") " + programVersion() +
           "\nKernel code " + kernelCodeFingerprint();
}
