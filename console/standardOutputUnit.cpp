// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/standardOutputUnit.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

int firstFailure = 0;  // errno of the first failed write, 0 while none is known

}  // namespace

void noteStandardOutputState() {
    if (firstFailure == 0 && !std::cout) firstFailure = errno;
}

bool finishStandardOutput() {
    std::cout.flush();
    noteStandardOutputState();
    if (std::cout) return true;
    std::cerr << kConsoleMessagePrefix << "standard output could not be written";
    if (firstFailure != 0) std::cerr << ": " << std::strerror(firstFailure);
    std::cerr << std::endl;
    return false;
}
