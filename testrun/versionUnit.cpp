#include "testrun/versionUnit.h"

#include <iostream>

#include "testrun/contactUnit.h"
#include "testrun/kernelCodeUnit.h"

const char* programVersion() { return KORVEX_VERSION; }

std::string versionLine(std::string_view programName) {
    return std::string(programName) + " (" + kProductTitle + ") " + programVersion() +
           "\nKernel code " + kernelCodeFingerprint();
}

bool printVersionIfAsked(int argc, char** argv, std::string_view programName) {
    if (argc != 2 || std::string_view(argv[1]) != "--version") return false;
    std::cout << versionLine(programName) << std::endl;
    return true;
}
