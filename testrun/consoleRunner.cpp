// korvex2-console: one test run without windows, each line printed the moment it is added, on
// request a result file of its own, then the comparison with the result files of the folder cpus
// (or the folders named), and on request the run as JSON and CSV. With --compare it runs nothing
// and compares the result files alone.

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
#include "results/runCsvUnit.h"
#include "results/saveFolderUnit.h"
#include "testrun/consoleOutputUnit.h"
#include "testrun/contactUnit.h"
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

// The result files of the folders named by --cpus, or of cpus/, with the files they came from.
// Files the comparison could not use in full are named on standard error, so scripts reading
// the comparison are not disturbed.
struct StoredResults {
    std::deque<TCpuRecord> records;
    std::vector<ResultFileRecords> files;
    std::vector<std::string> folders;
};

StoredResults loadStoredResults(const ConsoleOptions& options) {
    StoredResults stored;
    stored.folders = options.resultFolders;
    if (stored.folders.empty()) stored.folders.emplace_back(kResultFolder);
    for (const std::string& folder : stored.folders) {
        std::vector<ResultFileNote> notes;
        loadResultFolder(folder, stored.records, &notes, &stored.files);
        for (const ResultFileNote& note : notes)
            std::cerr << "korvex2-console: " << resultFileNoteText(folder, note) << '\n';
    }
    return stored;
}

void printComparison(const StoredResults& stored, const ResultTable& benchResults,
                     std::ostream& out) {
    TCpuRecord ownSystem = makeOwnSystem();
    ownSystem.Results = benchResults;
    for (int test = kFirstSelectableTest; test <= kLastSelectableTest; ++test) {
        out << '\n';
        for (const std::string& line :
             comparisonTextLines(stored.records, ownSystem, test, BenchUnit::Cycles))
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

// --compare: the stored results side by side, test by test, each row named by its file; then
// the JSON and CSV of every stored machine. No result file at all is said, and is no failure.
int compareStoredResults(const ConsoleOptions& options, std::ostream& lines) {
    const StoredResults stored = loadStoredResults(options);
    const std::vector<StoredMachine> machines = storedMachines(stored.records, stored.files);
    if (machines.empty()) {
        std::string folders;
        for (const std::string& folder : stored.folders)
            folders += (folders.empty() ? "" : ", ") + folder;
        lines << "No result files to compare in " << folders << std::endl;
    } else {
        std::vector<std::string> names;
        for (const StoredMachine& machine : machines) names.push_back(machine.name);
        for (int test = kFirstSelectableTest; test <= kLastSelectableTest; ++test) {
            if (test != kFirstSelectableTest) lines << '\n';
            for (const std::string& line :
                 storedComparisonTextLines(stored.records, names, test, BenchUnit::Cycles))
                lines << line << '\n';
        }
        lines.flush();
    }
    noteStandardOutputState();
    bool written = true;
    if (options.jsonFile) {
        const ComparisonExport comparison{kProductTitle, programVersion(), platform::hostName(),
                                          testLabels(), machines};
        written = writeConsoleJson(*options.jsonFile, comparisonJson(comparison), lines, std::cerr);
    }
    if (options.csvFile) {
        std::vector<CsvMachine> rows;
        for (const StoredMachine& machine : machines) {
            const TCpuRecord& record = *machine.data;
            rows.push_back({machine.name,
                            {descriptionText(record.Cpu), descriptionText(record.Fsb),
                             descriptionText(record.Memory), descriptionText(record.Os)},
                            &record.Results});
        }
        written = writeConsoleCsv(*options.csvFile, resultsCsv(rows), lines, std::cerr) && written;
    }
    if (!finishStandardOutput()) return 1;
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleOptions options;
    if (const int status = parseConsoleOptions(argc, argv, options, std::cout, std::cerr);
        status >= 0)
        return status;
    if (!checkResultFolders(options, std::cerr) || !checkOutputFolders(options, std::cerr))
        return 1;
    std::ostream& lines = options.standardOutputTaken() ? std::cerr : std::cout;
    if (options.compareOnly) return compareStoredResults(options, lines);

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

    // The run is saved before anything reads the result folders, so nothing those folders hold
    // can cost the run.
    const bool describe = options.saveFile || options.jsonFile || options.csvFile;
    const auto descriptions = describe ? runDescriptions(options, platform::describeMachine())
                                       : std::array<std::string, 4>{};
    bool written = !options.saveFile || saveConsoleResults(*options.saveFile, descriptions,
                                                           benchResults, lines, std::cerr);
    printComparison(loadStoredResults(options), benchResults, lines);

    const std::string host = platform::hostName();
    if (options.jsonFile) {
        const RunExport run{kProductTitle,
                            programVersion(),
                            host,
                            started,
                            currentRunMachine(descriptions, conditions),
                            list.clockMHz,
                            testLabels(),
                            benchResults};
        written = writeConsoleJson(*options.jsonFile, runJson(run), lines, std::cerr) && written;
    }
    if (options.csvFile) {
        const CsvMachine machine{host, descriptions, &benchResults};
        written = writeConsoleCsv(*options.csvFile, resultsCsv({&machine, 1}), lines, std::cerr) &&
                  written;
    }
    if (!finishStandardOutput()) return 1;
    return written ? 0 : 1;
}
