// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/consoleOutputUnit.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "platform/codePage.h"
#include "platform/runConditions.h"
#include "platform/systemError.h"
#include "results/cpuRecordUnit.h"
#include "results/runCsvUnit.h"
#include "results/saveFolderUnit.h"
#include "testrun/runFallbackUnit.h"
#include "testrun/standardOutputUnit.h"

namespace {

// The file name ending of each OutputContent, for a fallback file.
constexpr std::string_view kExtensions[] = {".dat", ".json", ".csv"};

std::string absoluteText(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    return error ? file : path.lexically_normal().string();
}

// Writes all of `text` to standard output and flushes it; the reason when that fails.
std::error_code writeStandardOutput(std::string_view text) {
    std::fflush(nullptr);
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return {};
    return errno != 0 ? platform::lastSystemError() : std::make_error_code(std::errc::io_error);
}

// Whether two checked outputs are one file: the same name once links are resolved, or two hard
// links of one file.
bool sameFile(const platform::ReplacementCheck& a, const platform::ReplacementCheck& b) {
    if (a.file == b.file) return true;
    struct stat first {
    }, second{};
    return ::stat(a.file.c_str(), &first) == 0 && ::stat(b.file.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

platform::MachineDescription runDescription(const ConsoleOptions& options,
                                            const platform::MachineDescription& machine) {
    platform::MachineDescription description = machine;
    for (std::size_t line = 0; line < description.kLineCount; ++line)
        if (options.descriptions[line]) description.line(line) = *options.descriptions[line];
    return description;
}

RunMachine currentRunMachine(const platform::MachineDescription& description,
                             const RunConditions& conditions) {
    RunMachine machine;
    machine.description = description;
    machine.logicalProcessors = platform::logicalProcessors();
    machine.kernelRelease = platform::kernelRelease();
    machine.frequencyGovernors = conditions.governors;
    machine.hypervisor = conditions.hypervisor;
    return machine;
}

std::vector<ConsoleOutput> requestedOutputs(const ConsoleOptions& options) {
    std::vector<ConsoleOutput> outputs;
    if (options.saveFile)
        outputs.push_back(
            {"--save", *options.saveFile, "Results saved to", OutputContent::ResultFile});
    if (options.jsonFile)
        outputs.push_back({"--json", *options.jsonFile, "JSON written to", OutputContent::Json});
    if (options.csvFile)
        outputs.push_back({"--csv", *options.csvFile, "CSV written to", OutputContent::Csv});
    return outputs;
}

bool checkOutputs(const std::vector<ConsoleOutput>& outputs, std::ostream& err) {
    std::vector<platform::ReplacementCheck> checks;
    for (const ConsoleOutput& output : outputs) {
        platform::ReplacementCheck check{output.file, {}, false};
        // A result file's length is known now, for the rule of the in-place write.
        if (output.file != "-")
            check = platform::checkReplacement(output.file,
                                               output.content == OutputContent::ResultFile
                                                   ? std::optional<std::uint64_t>(kRecordSize)
                                                   : std::nullopt);
        if (check.error) {
            err << kConsoleMessagePrefix << targetProblemText(output.file, check) << std::endl;
            return false;
        }
        for (std::size_t earlier = 0; earlier < checks.size(); ++earlier) {
            if ((output.file == "-") != (outputs[earlier].file == "-")) continue;
            if (!sameFile(check, checks[earlier])) continue;
            err << kConsoleMessagePrefix << outputs[earlier].option << " and " << output.option
                << " name the same file: " << platform::printableText(output.file) << std::endl;
            return false;
        }
        checks.push_back(check);
    }
    return true;
}

bool checkResultFolders(const ConsoleOptions& options, std::ostream& err) {
    for (const std::string& folder : options.resultFolders) {
        if (const std::error_code error = checkResultFolder(folder)) {
            err << kConsoleMessagePrefix << "cannot read result folder "
                << platform::printableText(folder) << ": " << error.message() << std::endl;
            return false;
        }
    }
    return true;
}

std::string runOutputBytes(OutputContent content, const FinishedRun& finished) {
    switch (content) {
        case OutputContent::ResultFile: {
            const TCpuRecord record = describedRecord(finished.description, finished.run.results);
            return {reinterpret_cast<const char*>(&record), kRecordSize};
        }
        case OutputContent::Json:
            return runJson(finished.run) + "\n";
        case OutputContent::Csv: {
            const CsvMachine machine{finished.run.host, finished.description, &finished.run.results,
                                     nullptr, finished.run.cores ? &*finished.run.cores : nullptr};
            return resultsCsv(finished.run.testNames, {&machine, 1});
        }
    }
    return {};
}

std::string comparisonOutputBytes(OutputContent content, const ComparisonExport& comparison) {
    if (content == OutputContent::Json) return comparisonJson(comparison) + "\n";
    const auto& statistics = comparison.statistics;
    std::vector<CsvMachine> rows;
    for (std::size_t index = 0; index < comparison.machines.size(); ++index) {
        const StoredMachine& machine = comparison.machines[index];
        const TCpuRecord& record = *machine.data;
        const bool compared = statistics && index < statistics->machines.size();
        rows.push_back({machine.name, recordDescription(record), &record.Results,
                        compared ? &statistics->machines[index] : nullptr});
    }
    return resultsCsv(comparison.testNames, rows,
                      statistics ? std::optional(statistics->unit) : std::nullopt);
}

void reportCodePageLoss(const platform::MachineDescription& description, std::ostream& err) {
    constexpr const char* kLines[] = {"processor", "bus", "memory", "operating system"};
    for (std::size_t line = 0; line < description.kLineCount; ++line)
        if (!platform::fitsWindows1251(description.line(line)))
            err << kConsoleMessagePrefix << "the " << kLines[line]
                << " line has characters Windows-1251 lacks; the result file holds '?' for them"
                << std::endl;
}

bool writeOutput(const ConsoleOutput& output, std::string_view bytes, std::ostream& report,
                 std::ostream& err, platform::FileContentWriter& writer,
                 std::optional<std::time_t> runStarted) {
    std::error_code error;
    platform::ReplacementNotes notes;
    if (output.file == "-") {
        error = writeStandardOutput(bytes);
    } else {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        error = platform::replaceFileContents(output.file, {data, bytes.size()}, writer, &notes);
    }
    if (error) {
        err << writeErrorText(output.file == "-" ? "standard output" : output.file, error)
            << std::endl;
        if (runStarted)
            (void)keepInFallback(
                {output.option, kExtensions[static_cast<int>(output.content)], output.file, error},
                bytes, *runStarted, err);
        return false;
    }
    if (output.file == "-") return true;
    report << output.doneText << " " << absoluteText(output.file) << std::endl;
    if (notes.linksLeftBehind > 0)
        err << kConsoleMessagePrefix << platform::printableText(output.file) << " had "
            << notes.linksLeftBehind
            << " more hard link(s); writing in place could have torn it, so a new file took its "
               "name and the other links keep the old contents"
            << std::endl;
    return true;
}

bool writeOutputs(const std::vector<ConsoleOutput>& outputs,
                  const std::function<std::string(OutputContent)>& contents, std::ostream& report,
                  std::ostream& err, std::optional<std::time_t> runStarted) {
    platform::FileContentWriter writer;
    bool written = true;
    for (const ConsoleOutput& output : outputs)
        written = writeOutput(output, contents(output.content), report, err, writer, runStarted) &&
                  written;
    return written;
}
