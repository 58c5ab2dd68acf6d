#include "testrun/consoleOptionsUnit.h"

#include <algorithm>

#include "testrun/versionUnit.h"

const char* const kConsoleUsage =
    "Usage: korvex2-console [--normal-priority] [--no-pause] [--json FILE]\n"
    "                       [--save FILE] [--cpu TEXT] [--fsb TEXT] [--memory TEXT] [--os TEXT]\n"
    "       korvex2-console --version | --help\n"
    "Runs the Korvex 2 processor benchmark once (about 55 s, 10 s with --no-pause), prints its\n"
    "result lines, then compares the results test by test, in millions of cycles, with the\n"
    "result files cpus/*.dat of the current directory. Lower figures are better.\n"
    "\n"
    "  --normal-priority  do not raise the process and thread priority during the run\n"
    "  --no-pause         do not pause 5 seconds after each test\n"
    "  --save FILE        after the run, save the results with the machine's description as\n"
    "                     the result file FILE (replaced if it exists; checked before the run\n"
    "                     starts, as --json's FILE is)\n"
    "  --json FILE        after the run, write the run as JSON to FILE, as --save writes its\n"
    "                     file; with '-' the JSON goes to standard output and the result\n"
    "                     lines to standard error\n"
    "  --cpu TEXT         processor (for --save and --json; each text is cut to 128\n"
    "                     characters; a line not given is read from the machine)\n"
    "  --fsb TEXT         front-side-bus frequency\n"
    "  --memory TEXT      memory size\n"
    "  --os TEXT          operating system\n"
    "  --version          show the version\n"
    "  --help             show this help\n";

namespace {

constexpr const char* kDescriptionOptions[4] = {"--cpu", "--fsb", "--memory", "--os"};

int usageError(std::ostream& err, const std::string& message) {
    err << "korvex2-console: " << message << "\n" << kConsoleUsage;
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
        } else if (argument == "--save" || argument == "--json") {
            auto& file = argument == "--save" ? options.saveFile : options.jsonFile;
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
    for (std::size_t field = 0; field < 4; ++field)
        if (options.descriptions[field] && !options.saveFile && !options.jsonFile)
            return usageError(err,
                              std::string(kDescriptionOptions[field]) + " needs --save or --json");
    return -1;
}
