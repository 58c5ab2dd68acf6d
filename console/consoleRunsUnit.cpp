// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleRunsUnit.h"

#include <iostream>

#include "console/consoleOutputUnit.h"
#include "console/contactUnit.h"
#include "console/historyFolderUnit.h"
#include "console/standardOutputUnit.h"
#include "console/versionUnit.h"
#include "engine/testTableUnit.h"
#include "kernel/kernelCodeUnit.h"
#include "platform/machineDescription.h"

namespace {

// Measures the run that just ended against the machine's history and notes the standing in its
// quality report; the folder is empty when there is no history to keep.
std::filesystem::path measureAgainstMachine(const ConsoleOptions& options, ConsoleRuns& runs) {
    const std::filesystem::path folder = historyFolder();
    if (folder.empty()) return folder;
    const std::vector<RecordedRun> history = readHistory(folder);
    const bool inRounds = options.sequence.order == TestOrder::Rounds;
    RecordedRun run{kernelCodeFingerprint(), platform::processorBrand(),
                    recordTable(runs.result.table), inRounds ? "rounds" : "in-order"};
    runs.history = measureAgainstHistory(history, run);
    runs.quality.historyLine = historyLine(*runs.history);
    runs.quality.steadinessLine = steadinessLine(*runs.history);
    return folder;
}

}  // namespace

void StandardOutputList::appendLine(const std::string& line) {
    stream_ << line << std::endl;
    noteStandardOutputState();
}

RunExport exportRun(const ConsoleRuns& runs, const ConsoleOptions& options,
                    const platform::MachineDescription& description) {
    RunExport run;
    run.program = kProductTitle;
    run.version = programVersion();
    run.host = platform::hostName();
    run.started = runs.started;
    run.machine = currentRunMachine(description, runs.conditions);
    run.clockMHz = runs.result.clockMHz;
    run.testNames = benchmarkTestNames();
    run.results = runs.result.table;
    run.summaries = runs.result.summaries;
    run.kernelCode = kernelCodeFingerprint();
    run.testCalls = exportRunCalls(runs.result.calls);
    run.quality = exportQuality(benchmarkTests(), runs.quality);
    if (options.sequence.order == TestOrder::Rounds) {
        run.order = "rounds";
        run.seed = runs.result.rounds.seed;
        run.rounds = exportRounds(runs.result.rounds);
    }
    run.history = runs.history;
    return run;
}

void makeRuns(const ConsoleOptions& options, SystemSequencePlatform& system,
              StandardOutputList& list, std::ostream& lines, ConsoleRuns& runs) {
    const bool inRounds = options.sequence.order == TestOrder::Rounds;
    for (int run = 1; run <= options.repeat; ++run) {
        if (run > 1 && options.intervalSeconds > 0) {
            lines << "\nСледующий запуск через " << options.intervalSeconds << " с" << std::endl;
            system.sleepMilliseconds(static_cast<std::uint32_t>(options.intervalSeconds) * 1000u);
        }
        if (options.repeat > 1)
            lines << (run > 1 ? "\n" : "") << "Запуск " << run << " из " << options.repeat
                  << std::endl;
        runs.conditions = conditionsBeforeRun(options.sequence.raisePriority);
        runs.conditions.otherRun = runs.otherRun;
        runs.started = std::time(nullptr);
        runTestSequence(options.sequence, benchmarkTests(), list, system, runs.result);
        runs.conditions.priorityGranted = system.raiseGranted();
        runs.quality = assessRun(runs.result.table, &runs.result.calls, runs.conditions,
                                 inRounds ? &runs.result.rounds : nullptr);
        const std::filesystem::path history =
            options.keepHistory ? measureAgainstMachine(options, runs) : std::filesystem::path();
        lines << '\n';
        for (const std::string& line : qualityReportLines(benchmarkTests(), runs.quality))
            lines << line << '\n';
        lines.flush();
        if (!history.empty())
            keepInHistory(history,
                          runJson(exportRun(runs, options,
                                            runDescription(options, platform::describeMachine()))),
                          runs.started, std::cerr);
        if (options.repeat > 1) runs.repeatedRuns.push_back(runs.result.table);
    }
}
