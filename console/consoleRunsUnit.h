#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The whole runs one console invocation makes (--repeat, spaced by --interval), each followed by
// its quality report, each measured against this machine's history and kept in it (unless
// --no-history), and the last one as its JSON tells it.

#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "console/consoleOptionsUnit.h"
#include "console/qualityReportUnit.h"
#include "engine/runLinesUnit.h"
#include "engine/runResultUnit.h"
#include "renderers/runJsonUnit.h"

// The run's lines go to standard output, or to standard error while standard output carries
// JSON.
class StandardOutputList final : public RunLines {
  public:
    explicit StandardOutputList(std::ostream& stream) : stream_(stream) {}
    void repaintNow() override {}
    void processPendingMessages() override {}

  private:
    void clearLines() override {}
    void appendLine(const std::string& line) override;

    std::ostream& stream_;
};

// The runs so far; the fields other than repeatedRuns are those of the last.
struct ConsoleRuns {
    RunResult result;
    RunConditions conditions;
    QualityReport quality;
    std::optional<HistoryExport> history;
    std::time_t started = 0;
    std::vector<RunTable> repeatedRuns;  // every run's table with --repeat
    // Another user's run the machine's lock went past, for every run's conditions
    // (RunConditions::otherRun); empty when none.
    std::string otherRun;
};

// The last run as the JSON gives it, described by `description`: everything but the repeat and
// the run on every core, which come after the runs.
RunExport exportRun(const ConsoleRuns& runs, const ConsoleOptions& options,
                    const platform::MachineDescription& description);

// Makes the runs `options` asks for, each printed on `list` with its quality report on `lines`
// after it, and between runs the wait of --interval.
void makeRuns(const ConsoleOptions& options, SystemSequencePlatform& system,
              StandardOutputList& list, std::ostream& lines, ConsoleRuns& runs);
