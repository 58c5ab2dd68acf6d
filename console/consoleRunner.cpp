// Program korvex2-console, over the layer korvex_run.
//
// korvex2-console: one test run without windows, each line printed the moment it is added, on
// request a result file of its own, then the comparison with the result files of the folder cpus
// (or the folders named), and on request the run as JSON, CSV and a page. With --compare it runs
// nothing and compares the result files alone.

#include <algorithm>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "console/consoleComparisonUnit.h"
#include "console/consoleHtmlUnit.h"
#include "console/consoleLockUnit.h"
#include "console/consoleOutputUnit.h"
#include "console/consoleRunsUnit.h"
#include "console/contactUnit.h"
#include "console/qualityReportUnit.h"
#include "console/repeatUnit.h"
#include "console/standardOutputUnit.h"
#include "console/versionUnit.h"
#include "engine/coresRunUnit.h"
#include "engine/sequenceUnit.h"
#include "engine/testTableUnit.h"
#include "kernel/kernelCodeUnit.h"
#include "kernel/workAreaUnit.h"
#include "platform/addressSpace.h"
#include "platform/codePage.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "record/cpuRecordUnit.h"
#include "record/runReportUnit.h"
#include "record/saveFolderUnit.h"
#include "renderers/comparisonTextUnit.h"

namespace {

// The result files and run reports of the folders named by --cpus, or of cpus/, with the files
// they came from. Files the comparison could not use in full are named on standard error, so
// scripts reading the comparison are not disturbed.
struct StoredResults {
    std::deque<TCpuRecord> records;
    std::vector<ResultFileRecords> files;
    std::vector<std::string> folders;
    std::optional<std::size_t> baseline;  // the record of --baseline's file
    bool folderUnread = false;            // a folder could not be read whole: exit status 1
};

StoredResults loadStoredResults(const ConsoleOptions& options, Baseline& baseline) {
    StoredResults stored;
    stored.folders = options.resultFolders;
    if (stored.folders.empty()) {
        stored.folders.emplace_back(kResultFolder);
        std::error_code error;
        if (!std::filesystem::exists(kResultFolder, error))
            std::cerr << kConsoleMessagePrefix << "no folder " << kResultFolder
                      << " here to compare with: make it (mkdir " << kResultFolder
                      << ") and put other machines' result files (*.dat) into it\n";
    }
    // Under an address-space limit the records take at most a third of what is left, so the
    // comparison made over them has room.
    std::size_t budget = kRecordBudget;
    if (const auto left = platform::addressSpaceLeft())
        budget = std::min<std::uint64_t>(budget, *left / 3 / kRecordSize);
    for (std::size_t index = 0; index < stored.folders.size(); ++index) {
        const std::string& folder = stored.folders[index];
        // A folder named twice, under any name, is read once.
        const auto earlier = [&](const std::string& other) {
            std::error_code error;
            return std::filesystem::equivalent(other, folder, error);
        };
        if (std::any_of(stored.folders.begin(), stored.folders.begin() + index, earlier)) continue;
        std::vector<ResultFileNote> notes;
        std::error_code unread =
            loadResultFolder(folder, stored.records, &notes, &stored.files, budget);
        const std::error_code reports = loadRunReports(folder, stored.records, notes, stored.files,
                                                       benchmarkTestNames(), budget);
        if (!unread) unread = reports;
        for (const ResultFileNote& note : notes)
            std::cerr << kConsoleMessagePrefix << resultFileNoteText(folder, note) << '\n';
        // Only cpus, when no folder is named, may be missing. A folder checked before the run
        // may still have gone, or been swapped for a link, by the time it is read.
        if (unread &&
            (!options.resultFolders.empty() || unread != std::errc::no_such_file_or_directory)) {
            std::cerr << kConsoleMessagePrefix << "cannot read result folder "
                      << platform::printableText(folder) << ": " << unread.message() << '\n';
            stored.folderUnread = true;
        }
    }
    if (options.baselineFile) stored.baseline = addBaseline(baseline, stored.records, stored.files);
    return stored;
}

// Prints each test's caption and comparison text as `build` makes it, after a blank line. Where
// memory runs out, later records are left out until it fits, and how many (with `leftOut`, those
// left out before) is said on standard error.
void printComparisonTests(std::deque<TCpuRecord>& records, std::uint64_t leftOut, std::ostream& out,
                          const std::function<std::vector<std::string>(int test)>& build) {
    for (int test = kFirstSelectableTest; test <= kLastSelectableTest; ++test) {
        const std::vector<std::string> lines =
            withinMemory(records, leftOut, [&] { return build(test); });
        out << '\n' << comparisonCaption(test) << '\n';
        for (const std::string& line : lines) out << line << '\n';
    }
    if (leftOut > 0)
        std::cerr << kConsoleMessagePrefix << leftOut
                  << " records left out of the comparison (out of memory)\n";
    out.flush();
    noteStandardOutputState();
}

std::vector<std::string> machineNames(const StoredResults& stored) {
    std::vector<std::string> names;
    for (const StoredMachine& machine : storedMachines(stored.records, stored.files))
        names.push_back(machine.name);
    return names;
}

// The comparison's statistics with the reference, and their summary on `out`; what memory could
// not hold is left out as printComparisonTests leaves it, counted in `leftOut`.
ConsoleComparison printComparisonSummary(StoredResults& stored, const TCpuRecord* ownSystem,
                                         std::optional<std::size_t> reference, BenchUnit unit,
                                         std::uint64_t& leftOut, std::ostream& out,
                                         const MeasuredFloors& ownFloors = {},
                                         const RecordQuality* ownQuality = nullptr) {
    return withinMemory(stored.records, leftOut, [&] {
        ConsoleComparison comparison = compareWithReference(stored.records, stored.files, ownSystem,
                                                            reference, unit, ownFloors, ownQuality);
        std::vector<std::string> lines =
            consoleSummaryLines(comparison, stored.records, machineNames(stored), ownSystem);
        out << '\n';
        for (const std::string& line : lines) out << line << '\n';
        return comparison;
    });
}

// The ratio column of test `test` (1 to 10); none once memory has cost records after the
// statistics were taken, since the rows are then made anew.
RowRatioText ratioColumn(const ConsoleComparison& comparison, const StoredResults& stored,
                         int test) {
    if (stored.records.size() != comparison.stored.size()) return {};
    return comparison.ratioText(testOfNumber(test));
}

// The block of the machines' runs on every core at once, where any had one; what memory cannot
// hold is left out as printComparisonTests leaves it.
void printCoresComparison(StoredResults& stored, const CoresRun* ownCores, BenchUnit unit,
                          std::ostream& out) {
    std::uint64_t leftOut = 0;
    for (const std::string& line : withinMemory(stored.records, leftOut, [&] {
             return coresComparisonLines(stored.records, stored.files, ownCores, unit);
         }))
        out << line << '\n';
    if (leftOut > 0)
        std::cerr << kConsoleMessagePrefix << leftOut
                  << " more records left out of the runs on every core (out of memory)\n";
    out.flush();
    noteStandardOutputState();
}

// The running machine `ownSystem` beside the stored results, with its run on every core at once
// (`ownCores`, when it had one); its floors come from the runs of --repeat, when there were
// several, and the quality of its run is `ownQuality`. Returns the statistics, which point at
// `ownSystem` and `ownQuality`.
ConsoleComparison printComparison(StoredResults& stored, const TCpuRecord& ownSystem,
                                  std::span<const RunTable> repeatedRuns,
                                  const RecordQuality& ownQuality, const CoresRun* ownCores,
                                  BenchUnit unit, std::ostream& out) {
    std::vector<ResultTable> recorded;
    for (const RunTable& run : repeatedRuns) recorded.push_back(recordTable(run));
    std::vector<const ResultTable*> runs;
    for (const ResultTable& run : recorded) runs.push_back(&run);
    std::uint64_t leftOut = 0;
    const ConsoleComparison comparison =
        printComparisonSummary(stored, &ownSystem, stored.baseline, unit, leftOut, out,
                               measuredFloors(runs, unit), &ownQuality);
    printComparisonTests(stored.records, leftOut, out, [&](int test) {
        return comparisonTextLines(stored.records, ownSystem, test, unit, kTextBarWidth,
                                   ratioColumn(comparison, stored, test));
    });
    printCoresComparison(stored, ownCores, unit, out);
    return comparison;
}

// The statistics for --compare's documents; the machines the memory kept are a leading part of
// those compared.
std::optional<ComparisonStatistics> exportedStatistics(const ConsoleComparison& comparison,
                                                       const StoredResults& stored) {
    if (comparison.stored.empty()) return std::nullopt;
    const std::vector<std::string> names = machineNames(stored);
    const std::size_t reference = stored.baseline.value_or(0);
    // Only the machines still listed: where memory left records out, their statistics go too.
    const auto kept = static_cast<std::ptrdiff_t>(std::min(names.size(), comparison.stored.size()));
    return ComparisonStatistics{comparison.unit,
                                reference < names.size() ? names[reference] : std::string(),
                                {comparison.stored.begin(), comparison.stored.begin() + kept}};
}

// --compare: the stored results side by side, test by test, each row named by its file; then
// the JSON, CSV and page of every stored machine. No result file at all is said, and is no
// failure.
int compareStoredResults(const ConsoleOptions& options, const std::vector<ConsoleOutput>& outputs,
                         Baseline& baseline, std::ostream& lines) {
    StoredResults stored = loadStoredResults(options, baseline);
    ConsoleComparison comparison;
    if (stored.records.empty()) {
        std::string folders;
        for (const std::string& folder : stored.folders)
            folders += (folders.empty() ? "" : ", ") + folder;
        lines << "No result files to compare in " << platform::printableText(folders) << std::endl;
        noteStandardOutputState();
    } else {
        std::uint64_t leftOut = 0;
        comparison = printComparisonSummary(stored, nullptr, stored.baseline.value_or(0),
                                            options.comparisonUnit, leftOut, lines);
        const std::vector<std::string> names =
            withinMemory(stored.records, leftOut, [&] { return machineNames(stored); });
        printComparisonTests(stored.records, leftOut, lines, [&](int test) {
            return storedComparisonTextLines(stored.records, names, test, options.comparisonUnit,
                                             kTextBarWidth, ratioColumn(comparison, stored, test));
        });
        printCoresComparison(stored, nullptr, options.comparisonUnit, lines);
    }
    // Listed after the text, which may have left records out, and within the memory guard too.
    std::uint64_t leftOut = 0;
    const ComparisonExport exported = withinMemory(stored.records, leftOut, [&] {
        return ComparisonExport{kProductTitle,
                                programVersion(),
                                platform::hostName(),
                                benchmarkTestNames(),
                                storedMachines(stored.records, stored.files),
                                exportedStatistics(comparison, stored)};
    });
    if (leftOut > 0)
        std::cerr << kConsoleMessagePrefix << leftOut
                  << " more records left out of the JSON and CSV (out of memory)\n";
    const bool paged = std::any_of(outputs.begin(), outputs.end(), [](const ConsoleOutput& output) {
        return output.content == OutputContent::Html;
    });
    HtmlReport page;
    if (paged) {
        page = consolePage(comparison, exported.machines, nullptr, std::time(nullptr));
        page.folders = stored.folders;
    }
    platform::FileContentWriter writer;
    const bool written = writeOutputs(
        outputs,
        [&](OutputContent content, std::ostream& out) {
            writeComparisonOutput(out, content, exported, page);
        },
        lines, std::cerr, writer);
    if (!finishStandardOutput()) return 1;
    return written && !stored.folderUnread ? 0 : 1;
}

// The block of the run on every core at once, each test's line (and the line on its disturbed
// rounds) printed as it comes.
CoresRun timeOnEveryCore(int count, bool replacing, const RunTable& benchResults,
                         std::ostream& lines) {
    lines << '\n' << coresHeading(count) << std::endl;
    noteStandardOutputState();
    return runOnEveryCore(benchmarkTests(), benchResults, firstProcessors(count), replacing,
                          [&](int test, const CoresTest& result) {
                              lines << coresLine(benchmarkTests()[test], result) << '\n';
                              if (!result.disturbance.empty()) lines << result.disturbance << '\n';
                              lines.flush();
                              noteStandardOutputState();
                          });
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleOptions options;
    if (const int status = parseConsoleOptions(argc, argv, options, std::cout, std::cerr);
        status >= 0)
        return status;
    std::vector<ConsoleOutput> outputs = requestedOutputs(options);
    Baseline baseline;
    if (!checkResultFolders(options, std::cerr) || !checkOutputs(outputs, std::cerr) ||
        !readBaseline(options, baseline, std::cerr))
        return 1;
    std::ostream& lines = options.standardOutputTaken() ? std::cerr : std::cout;
    if (options.compareOnly) return compareStoredResults(options, outputs, baseline, lines);

    SystemSequencePlatform system;
    ConsoleRuns runs;
    if (!takeMachineLock(system, options.ignoreLock, runs.otherRun, std::cerr))
        return kMachineBusyStatus;
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    BuildKernelWorkArea();

    StandardOutputList list(lines);
    makeRuns(options, system, list, lines, runs);
    const RunTable& benchResults = runs.result.table;
    const std::vector<RunTable>& repeatedRuns = runs.repeatedRuns;
    if (options.repeat > 1)
        for (const std::string& line : repeatReportLines(benchmarkTests(), repeatedRuns))
            lines << line << '\n';
    std::optional<CoresRun> cores;
    if (options.cores > 1)
        cores = timeOnEveryCore(options.cores, options.sequence.replaceDisturbedCalls, benchResults,
                                lines);

    // The outputs are written before anything reads the result folders, so nothing those
    // folders hold can cost the run.
    FinishedRun finished;
    if (!outputs.empty())
        finished.description = runDescription(options, platform::describeMachine());
    if (options.saveFile) reportCodePageLoss(finished.description, std::cerr);
    finished.run = exportRun(runs, options, finished.description);
    finished.run.cores = cores;
    if (options.repeat > 1) finished.run.repeat = exportRepeat(repeatedRuns);
    finished.repeatedRuns = repeatedRuns;
    // The page shows the comparison, so it comes after it.
    std::vector<ConsoleOutput> page;
    if (!outputs.empty() && outputs.back().content == OutputContent::Html) {
        page.push_back(outputs.back());
        outputs.pop_back();
    }
    platform::FileContentWriter writer;
    const auto write = [&](OutputContent content, std::ostream& out) {
        writeRunOutput(out, content, finished);
    };
    bool written = writeOutputs(outputs, write, lines, std::cerr, writer, runs.started);
    StoredResults stored = loadStoredResults(options, baseline);
    TCpuRecord ownSystem = makeOwnSystem();
    ownSystem.Results = recordTable(benchResults);
    const RecordQuality ownQuality = runRecordQuality(finished.run);
    const ConsoleComparison comparison =
        printComparison(stored, ownSystem, repeatedRuns, ownQuality, cores ? &*cores : nullptr,
                        options.comparisonUnit, lines);
    if (!page.empty()) {
        const PageRun run{&ownSystem,
                          benchResults,
                          finished.description,
                          finished.run.kernelCode,
                          qualityWarningLines(runs.quality),
                          cores ? &*cores : nullptr,
                          &ownQuality};
        finished.page = consolePage(comparison, storedMachines(stored.records, stored.files), &run,
                                    std::time(nullptr));
        finished.page->folders = stored.folders;
        written = writeOutputs(page, write, lines, std::cerr, writer, runs.started) && written;
    }

    if (!finishStandardOutput()) return 1;
    return written && !stored.folderUnread ? 0 : 1;
}
