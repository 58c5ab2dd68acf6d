// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/consoleOptionsUnit.h"

#include <algorithm>

#include "testrun/standardOutputUnit.h"
#include "testrun/versionUnit.h"

const char* const kConsoleUsage =
    "Usage: korvex2-console [--normal-priority] [--no-pause] [--save FILE] [--json FILE]\n"
    "                       [--csv FILE] [--cpus DIR]... [--cpu TEXT] [--fsb TEXT]\n"
    "                       [--memory TEXT] [--os TEXT] [--unit ms|cycles] [--baseline FILE]\n"
    "       korvex2-console --compare [--cpus DIR]... [--json FILE] [--csv FILE]\n"
    "                       [--unit ms|cycles] [--baseline FILE]\n"
    "       korvex2-console --version | --help\n"
    "Runs the Korvex 2 processor benchmark once (about 55 s, 10 s with --no-pause), prints its\n"
    "result lines, then compares the results test by test, in millions of cycles, with the\n"
    "result files cpus/*.dat of the current directory. Lower figures are better; an index\n"
    "per machine (reference 100) and a ratio per test come first, '≈' marking a difference\n"
    "within noise.\n"
    "\n"
    "  --normal-priority  do not raise the process and thread priority during the run\n"
    "  --no-pause         do not pause 5 seconds after each test\n"
    "  --save FILE        after the run, save the results with the machine's description as\n"
    "                     the result file FILE (replaced if it exists; checked before the run\n"
    "                     starts, as every output file is)\n"
    "  --json FILE        write the run (with --compare: the compared results) as JSON to\n"
    "                     FILE, as --save writes its file; with '-' the JSON goes to standard\n"
    "                     output and the result lines to standard error\n"
    "  --csv FILE         the same as CSV, one row per machine and test\n"
    "  --compare          run nothing: only compare the result files\n"
    "  --cpus DIR         compare the result files *.dat of DIR instead of ./cpus (repeatable;\n"
    "                     DIR must be an existing folder)\n"
    "  --cpu TEXT         processor (for --save, --json and --csv; each text is cut to 128\n"
    "                     characters; a line not given is read from the machine)\n"
    "  --fsb TEXT         front-side-bus frequency\n"
    "  --memory TEXT      memory size\n"
    "  --os TEXT          operating system\n"
    "  --unit UNIT        compare in cycles (the default) or ms (milliseconds)\n"
    "  --baseline FILE    compare with the first record of the result file FILE (by default\n"
    "                     with the run, or with --compare with the first result file read)\n"
    "  --version          show the version\n"
    "  --help             show this help\n";

namespace {

constexpr const char* kDescriptionOptions[4] = {"--cpu", "--fsb", "--memory", "--os"};

int usageError(std::ostream& err, const std::string& message) {
    err << kConsoleMessagePrefix << message << "\n" << kConsoleUsage;
    return 2;
}

}  // namespace

int parseConsoleOptions(int argc, char** argv, ConsoleOptions& options, std::ostream& out,
                        std::ostream& err) {
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
            out << kConsoleUsage;
            return 0;
        } else if (argument == "--version") {
            out << versionLine("korvex2-console") << "\n";
            return 0;
        } else if (argument == "--compare") {
            options.compareOnly = true;
        } else if (argument == "--cpus") {
            const auto folder = value();
            if (!folder || folder->empty()) return usageError(err, "--cpus needs a folder");
            options.resultFolders.push_back(*folder);
        } else if (argument == "--unit") {
            const auto unit = value();
            if (!unit || (*unit != "ms" && *unit != "cycles"))
                return usageError(err, "--unit needs ms or cycles");
            options.comparisonUnit = *unit == "ms" ? BenchUnit::Milliseconds : BenchUnit::Cycles;
        } else if (argument == "--baseline") {
            options.baselineFile = value();
            if (!options.baselineFile || options.baselineFile->empty())
                return usageError(err, "--baseline needs a file name");
        } else if (argument == "--save" || argument == "--json" || argument == "--csv") {
            auto& file = argument == "--save"   ? options.saveFile
                         : argument == "--json" ? options.jsonFile
                                                : options.csvFile;
            file = value();
            if (!file || file->empty()) return usageError(err, argument + " needs a file name");
        } else {
            const auto* known =
                std::find_if(std::begin(kDescriptionOptions), std::end(kDescriptionOptions),
                             [&](const char* option) { return argument == option; });
            if (known == std::end(kDescriptionOptions))
                return usageError(err, "unknown option '" + argument + "'");
            auto& description = options.descriptions[static_cast<std::size_t>(
                known - std::begin(kDescriptionOptions))];
            description = value();
            if (!description) return usageError(err, argument + " needs a text");
        }
    }
    const bool describesRun = options.saveFile || options.jsonFile || options.csvFile;
    for (std::size_t field = 0; field < 4; ++field) {
        const std::string option = kDescriptionOptions[field];
        if (options.descriptions[field] && options.compareOnly)
            return usageError(err, option + " describes a run, and --compare runs nothing");
        if (options.descriptions[field] && !describesRun)
            return usageError(err, option + " needs --save, --json or --csv");
    }
    if (options.compareOnly && options.saveFile)
        return usageError(err, "--save saves a run, and --compare runs nothing");
    if (options.jsonToStandardOutput() && options.csvToStandardOutput())
        return usageError(err, "--json and --csv cannot both write to standard output");
    return -1;
}
