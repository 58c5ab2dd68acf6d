#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// What the console runner writes besides the run's lines: the files of --save, --json, --csv and
// --html, checked together before the run and each written through the save's one safe path right
// after it, with a line saying where it went or why it could not be written; and the early check
// of the result folders it will read.

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "console/consoleOptionsUnit.h"
#include "console/qualityReportUnit.h"
#include "platform/fileReplacement.h"
#include "platform/machineDescription.h"
#include "renderers/htmlReportUnit.h"
#include "renderers/runJsonUnit.h"

// Processor, bus, memory and operating system: each as given on the command line, otherwise the
// machine's own; each cut to its first 128 characters, as the result file keeps it.
platform::MachineDescription runDescription(const ConsoleOptions& options,
                                            const platform::MachineDescription& machine);

// The machine part of the JSON: the four lines, what the machine reports about itself, and the
// governors and hypervisor as read for the quality report before the run.
RunMachine currentRunMachine(const platform::MachineDescription& description,
                             const RunConditions& conditions);

// A finished run, from which every output file is made.
struct FinishedRun {
    platform::MachineDescription description;  // as runDescription gives it
    RunExport run;                             // the (last) run's table and the rest of the JSON
    // With --repeat, every run's table in order (the last is run.results): the result file
    // holds a record of each and the CSV rows of each.
    std::vector<RunTable> repeatedRuns;
    // The page, made once the run has been compared with the stored results.
    std::optional<HtmlReport> page;
};

// What an output file holds.
enum class OutputContent { ResultFile, Json, Csv, Html };

// One file the console writes.
struct ConsoleOutput {
    const char* option;    // "--save"
    std::string file;      // as given; "-" is standard output
    const char* doneText;  // "Results saved to": followed by the file's absolute name
    OutputContent content;
};

// The outputs the command line asks for, in the order they are written (the page last: after a
// run it shows the comparison, which is made after the other outputs are written).
std::vector<ConsoleOutput> requestedOutputs(const ConsoleOptions& options);

// Before the run: every output file can be written (platform::checkReplacement: links as the
// save follows them, a regular file or none, a folder that takes it) and no two outputs name the
// same file (two "-" included). When not, says why on `err` and returns false.
[[nodiscard]] bool checkOutputs(const std::vector<ConsoleOutput>& outputs, std::ostream& err);

// Before the run: whether every folder of --cpus is a folder that can be read. When one is not
// (missing, a file, a FIFO, unreadable), says so with the system's reason on `err` and returns
// false.
[[nodiscard]] bool checkResultFolders(const ConsoleOptions& options, std::ostream& err);

// Writes `content` for a finished run to `out`.
void writeRunOutput(std::ostream& out, OutputContent content, const FinishedRun& finished);

// Writes `content` (JSON, CSV or the page `page`) for a comparison of stored results, which runs
// nothing, to `out` machine by machine.
void writeComparisonOutput(std::ostream& out, OutputContent content,
                           const ComparisonExport& comparison, const HtmlReport& page);

// One line on `err` per description that Windows-1251 cannot hold in full (its result file
// stores '?' for the characters it lacks).
void reportCodePageLoss(const platform::MachineDescription& description, std::ostream& err);

// Writes an output's contents to the stream it is given.
using OutputWriter = std::function<void(std::ostream& out)>;

// Writes what `write` produces as `output`, piece by piece as it is produced: a file through
// platform::replaceFileContents with `writer`, "-" to standard output. For a file says where it
// went on `report`, and on `err` when it replaced a file with other hard links, which keep the
// old contents; a failure says "Ошибка записи" with the path and the system's reason on `err`,
// and the result says which. The output of a run (`runStarted` given) that fails is kept in a
// fallback file (see runFallbackUnit.h).
[[nodiscard]] bool writeOutput(const ConsoleOutput& output, const OutputWriter& write,
                               std::ostream& report, std::ostream& err,
                               platform::FileContentWriter& writer,
                               std::optional<std::time_t> runStarted = {});

// Writes each of `outputs`, in order, each on its own whatever became of those before it, with
// what `contents` writes for its content, as writeOutput does with `writer`; whether every one
// was written.
[[nodiscard]] bool writeOutputs(const std::vector<ConsoleOutput>& outputs,
                                const std::function<void(OutputContent, std::ostream&)>& contents,
                                std::ostream& report, std::ostream& err,
                                platform::FileContentWriter& writer,
                                std::optional<std::time_t> runStarted = {});
