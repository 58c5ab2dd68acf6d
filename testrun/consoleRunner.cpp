// korvex2-console: one test run without windows, each line printed the moment it is added, on
// request a result file of its own, then the comparison with the result files of the folder cpus,
// and on request the run as JSON.

#include <ctime>
#include <deque>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "results/comparisonTextUnit.h"
#include "results/cpuRecordUnit.h"
#include "results/saveFolderUnit.h"
#include "testrun/consoleOutputUnit.h"
#include "testrun/contactUnit.h"
#include "testrun/kernelCodeUnit.h"
#include "testrun/qualityReportUnit.h"
#include "testrun/sequenceUnit.h"
#include "testrun/standardOutputUnit.h"
#include "testrun/testTableUnit.h"
#include "testrun/versionUnit.h"
#include "testrun/workAreaUnit.h"

namespace {

constexpr const char* kResultFolder = "cpus";

// The run's lines go to standard output, or to standard error while standard output carries
// JSON. The clock line's rate is kept for the JSON.
class StandardOutputList final : public SequenceList {
  public:
    explicit StandardOutputList(std::ostream& stream) : stream_(stream) {}
    void clearLines() override {}
    void appendLine(const std::string& line) override {
        stream_ << line << std::endl;
        noteStandardOutputState();
        if (const auto rate = clockRateFromLine(line)) clockMHz = rate;
    }
    void repaintNow() override {}
    void processPendingMessages() override {}

    std::optional<std::uint64_t> clockMHz;

  private:
    std::ostream& stream_;
};

void printComparison(const ResultTable& benchResults, std::ostream& out) {
    std::deque<TCpuRecord> systems;
    std::vector<ResultFileNote> notes;
    loadResultFolder(kResultFolder, systems, &notes);
    // Which files the comparison could not use in full, on standard error so scripts reading
    // the comparison are not disturbed.
    for (const ResultFileNote& note : notes)
        std::cerr << "korvex2-console: " << resultFileNoteText(kResultFolder, note) << '\n';
    TCpuRecord ownSystem = makeOwnSystem();
    ownSystem.Results = benchResults;
    for (int test = kFirstSelectableTest; test <= kLastSelectableTest; ++test) {
        out << '\n';
        for (const std::string& line :
             comparisonTextLines(systems, ownSystem, test, BenchUnit::Cycles))
            out << line << '\n';
    }
    out.flush();
    noteStandardOutputState();
}

std::vector<std::string> testLabels() {
    std::vector<std::string> labels;
    for (const TestEntry& entry : benchmarkTests()) labels.emplace_back(entry.label);
    return labels;
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleOptions options;
    if (const int status = parseConsoleOptions(argc, argv, options, std::cout, std::cerr);
        status >= 0)
        return status;
    if (!checkOutputFolders(options, std::cerr)) return 1;
    std::ostream& lines = options.jsonToStandardOutput() ? std::cerr : std::cout;

    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();

    StandardOutputList list(lines);
    SystemSequencePlatform system;
    ResultTable benchResults{};
    RunConditions conditions = conditionsBeforeRun(options.sequence.raisePriority);
    const std::time_t started = std::time(nullptr);
    runTestSequence(options.sequence, benchmarkTests(), list, system, benchResults);
    conditions.priorityGranted = system.raiseGranted();
    lines << '\n';
    for (const std::string& line : qualityReportLines(benchmarkTests(), benchResults, conditions))
        lines << line << '\n';

    // The run is saved before anything reads the result folder, so nothing that folder holds
    // can cost the run.
    const bool describe = options.saveFile || options.jsonFile;
    const auto descriptions = describe ? runDescriptions(options, platform::describeMachine())
                                       : std::array<std::string, 4>{};
    bool written = !options.saveFile || saveConsoleResults(*options.saveFile, descriptions,
                                                           benchResults, lines, std::cerr);
    printComparison(benchResults, lines);

    if (options.jsonFile) {
        const RunExport run{kProductTitle, programVersion(),
                            started,       currentRunMachine(descriptions, conditions),
                            list.clockMHz, testLabels(),
                            benchResults,  kernelCodeFingerprint()};
        written = writeConsoleJson(*options.jsonFile, runJson(run), lines, std::cerr) && written;
    }
    if (!finishStandardOutput()) return 1;
    return written ? 0 : 1;
}
