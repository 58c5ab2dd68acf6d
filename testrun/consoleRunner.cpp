// korvex2-console: one test run without windows, each line printed the moment it is added, on
// request a result file of its own, then the comparison with the result files of the folder cpus.

#include <algorithm>
#include <deque>
#include <iostream>
#include <optional>
#include <string>

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "results/comparisonTextUnit.h"
#include "results/cpuRecordUnit.h"
#include "testrun/sequenceUnit.h"
#include "testrun/standardOutputUnit.h"
#include "testrun/testTableUnit.h"
#include "testrun/workAreaUnit.h"

namespace {

constexpr const char* kUsage =
    "Usage: korvex2-console [--normal-priority] [--no-pause]\n"
    "                       [--save FILE [--cpu TEXT] [--fsb TEXT] [--memory TEXT] [--os TEXT]]\n"
    "Runs the Korvex 2 processor benchmark once, prints its result lines, then compares the\n"
    "results test by test, in millions of cycles, with the result files cpus/*.dat of the\n"
    "current directory.\n"
    "\n"
    "  --normal-priority  do not raise the process and thread priority during the run\n"
    "  --no-pause         do not pause 5 seconds after each test\n"
    "  --save FILE        after the run, save the results with the description below as the\n"
    "                     result file FILE (replaced if it exists)\n"
    "  --cpu TEXT         processor (with --save; each text is cut to 128 characters)\n"
    "  --fsb TEXT         front-side-bus frequency\n"
    "  --memory TEXT      memory size\n"
    "  --os TEXT          operating system\n"
    "  --help             show this help\n";

constexpr const char* kResultFolder = "cpus";
constexpr const char* kWriteErrorText = "Ошибка записи";

class StandardOutputList final : public SequenceList {
  public:
    void clearLines() override {}
    void appendLine(const std::string& line) override {
        std::cout << line << std::endl;
        noteStandardOutputState();
    }
    void repaintNow() override {}
    void processPendingMessages() override {}
};

struct ConsoleOptions {
    SequenceOptions sequence;
    std::optional<std::string> saveFile;
    std::optional<std::string> descriptions[4];  // processor, bus, memory, operating system
};

constexpr const char* kDescriptionOptions[4] = {"--cpu", "--fsb", "--memory", "--os"};

int usageError(const std::string& message) {
    std::cerr << "korvex2-console: " << message << "\n" << kUsage;
    return 2;
}

// Parses the command line into `options`; a result other than -1 is the exit status.
int parseOptions(int argc, char** argv, ConsoleOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (argument == "--normal-priority") {
            options.sequence.raisePriority = false;
        } else if (argument == "--no-pause") {
            options.sequence.pauseAfterEachTest = false;
        } else if (argument == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (argument == "--save") {
            options.saveFile = value();
            if (!options.saveFile || options.saveFile->empty())
                return usageError("--save needs a file name");
        } else {
            const auto* known =
                std::find_if(std::begin(kDescriptionOptions), std::end(kDescriptionOptions),
                             [&](const char* option) { return argument == option; });
            if (known == std::end(kDescriptionOptions))
                return usageError("unknown option '" + argument + "'");
            auto& description = options.descriptions[known - std::begin(kDescriptionOptions)];
            description = value();
            if (!description) return usageError(argument + " needs a text");
        }
    }
    for (std::size_t field = 0; field < 4; ++field)
        if (options.descriptions[field] && !options.saveFile)
            return usageError(std::string(kDescriptionOptions[field]) + " needs --save");
    return -1;
}

void printComparison(const ResultTable& benchResults) {
    std::deque<TCpuRecord> systems;
    loadResultFolder(kResultFolder, systems);
    TCpuRecord ownSystem = makeOwnSystem();
    ownSystem.Results = benchResults;
    for (int test = kFirstSelectableTest; test <= kLastSelectableTest; ++test) {
        std::cout << '\n';
        for (const std::string& line :
             comparisonTextLines(systems, ownSystem, test, BenchUnit::Cycles))
            std::cout << line << '\n';
    }
    std::cout.flush();
    noteStandardOutputState();
}

bool saveResults(const ConsoleOptions& options, const ResultTable& benchResults) {
    TCpuRecord record = emptyRecord();
    TDescription* fields[4] = {&record.Cpu, &record.Fsb, &record.Memory, &record.Os};
    for (std::size_t field = 0; field < 4; ++field)
        setDescriptionText(*fields[field], options.descriptions[field].value_or(""));
    record.Results = benchResults;
    return saveRecordFile(*options.saveFile, record).ok();
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleOptions options;
    if (const int status = parseOptions(argc, argv, options); status >= 0) return status;

    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();

    StandardOutputList list;
    SystemSequencePlatform system;
    ResultTable benchResults{};
    runTestSequence(options.sequence, benchmarkTests(), list, system, benchResults);

    // The run is saved before anything reads the result folder, so nothing that folder holds
    // can cost the run.
    const bool saveFailed = options.saveFile && !saveResults(options, benchResults);
    if (saveFailed) std::cerr << kWriteErrorText << std::endl;
    printComparison(benchResults);

    if (!finishStandardOutput()) return 1;
    return saveFailed ? 1 : 0;
}
