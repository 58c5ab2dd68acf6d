#pragma once
// The version of both programs and of their package, set once in the build (CMakeLists.txt).

#include <string>
#include <string_view>

// The version set in the build, which the about box shows too.
const char* programVersion();

// The answer to --version: the program name, the product title in brackets, the version.
std::string versionLine(std::string_view programName);
