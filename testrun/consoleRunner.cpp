// korvex2-console: one test run without windows, each line printed the moment it is added.

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "testrun/sequenceUnit.h"
#include "testrun/testTableUnit.h"
#include "testrun/workAreaUnit.h"

namespace {

constexpr const char* kUsage =
    "Usage: korvex2-console [--normal-priority] [--no-pause]\n"
    "Runs the Korvex 2 processor benchmark once and prints its result lines.\n"
    "\n"
    "  --normal-priority  do not raise the process and thread priority during the run\n"
    "  --no-pause         do not pause 5 seconds after each test\n"
    "  --help             show this help\n";

class StandardOutputList final : public SequenceList {
  public:
    void clearLines() override {}
    void appendLine(const std::string& line) override { std::cout << line << std::endl; }
    void repaintNow() override {}
    void processPendingMessages() override {}
};

}  // namespace

int main(int argc, char** argv) {
    SequenceOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--normal-priority") {
            options.raisePriority = false;
        } else if (argument == "--no-pause") {
            options.pauseAfterEachTest = false;
        } else if (argument == "--help") {
            std::cout << kUsage;
            return 0;
        } else {
            std::cerr << "korvex2-console: unknown option '" << argument << "'\n" << kUsage;
            return 2;
        }
    }

    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();

    StandardOutputList list;
    SystemSequencePlatform system;
    ResultTable benchResults{};
    runTestSequence(options, benchmarkTests(), list, system, benchResults);
    return 0;
}
