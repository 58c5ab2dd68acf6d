#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The console runner's command line.

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/sequenceUnit.h"
#include "results/cpubenchUnit.h"

struct ConsoleOptions {
    // In rounds unless --order in-order: on a virtual machine of the kind measured, the best of a
    // test spread less across runs in rounds (bench/sameMachine.sh; README, "What a run
    // measures").
    SequenceOptions sequence{.order = TestOrder::Rounds};
    std::optional<std::string> saveFile;
    std::optional<std::string> jsonFile;  // "-" for standard output
    std::optional<std::string> csvFile;   // "-" for standard output
    std::optional<std::string> htmlFile;  // "-" for standard output
    bool compareOnly = false;             // --compare: no run, only the stored results
    int repeat = 1;                       // --repeat: whole runs in one invocation
    bool ignoreLock = false;              // --ignore-lock: go past another user's run
    int intervalSeconds = 0;              // --interval: the wait between two of them
    bool keepHistory = true;              // --no-history clears it
    int cores = 1;  // --cores: worker processes per test after the run; 1 runs none
    // The folders whose result files are compared, in order; none given means "cpus", which
    // may be missing, while a folder named here must exist.
    std::vector<std::string> resultFolders;
    BenchUnit comparisonUnit = BenchUnit::Cycles;  // --unit
    std::optional<std::string> baselineFile;       // --baseline: the comparison's reference
    // Processor, bus, memory, operating system; a line not given is the machine's own.
    std::array<std::optional<std::string>, 4> descriptions;

    bool jsonToStandardOutput() const { return jsonFile && *jsonFile == "-"; }
    bool csvToStandardOutput() const { return csvFile && *csvFile == "-"; }
    bool htmlToStandardOutput() const { return htmlFile && *htmlFile == "-"; }
    // Standard output then carries nothing but that document; the lines go to standard error.
    bool standardOutputTaken() const {
        return jsonToStandardOutput() || csvToStandardOutput() || htmlToStandardOutput();
    }
};

// The text of --help: the usage lines, then one entry per option.
std::string consoleUsage();

// Reads the command line into `options`; an option's value follows it as the next argument or
// after '=' (--save=FILE). Returns -1 to go on with a run, otherwise the exit status: 0 after
// --help (the usage on `out`) or --version (the version line on `out`), 2 after a mistake (the
// reason and a line naming --help on `err`).
[[nodiscard]] int parseConsoleOptions(int argc, char** argv, ConsoleOptions& options,
                                      std::ostream& out, std::ostream& err);
