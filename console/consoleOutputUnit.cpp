// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleOutputUnit.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <span>
#include <sstream>

#include "console/runFallbackUnit.h"
#include "console/standardOutputUnit.h"
#include "console/streamedContentUnit.h"
#include "platform/codePage.h"
#include "platform/runConditions.h"
#include "platform/systemError.h"
#include "record/cpuRecordUnit.h"
#include "record/saveFolderUnit.h"
#include "renderers/runCsvUnit.h"

namespace {

// The file name ending of each OutputContent, for a fallback file.
constexpr std::string_view kExtensions[] = {".dat", ".json", ".csv", ".html"};

std::string absoluteText(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    return error ? file : path.lexically_normal().string();
}

// Writes all of `piece` to standard output and flushes it; the reason when that fails.
std::error_code writeStandardOutput(std::span<const std::uint8_t> piece) {
    errno = 0;
    if (std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size() &&
        std::fflush(stdout) == 0)
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

// The tables the result file and the CSV hold: every run's with --repeat, else the run's.
std::span<const RunTable> savedRuns(const FinishedRun& finished) {
    if (finished.repeatedRuns.empty()) return {&finished.run.results, 1};
    return finished.repeatedRuns;
}

// The run on every core at once belongs with the last run, which it followed.
const CoresRun* coresOf(const FinishedRun& finished, const RunTable& results) {
    if (!finished.run.cores || &results != &savedRuns(finished).back()) return nullptr;
    return &*finished.run.cores;
}

}  // namespace

platform::MachineDescription runDescription(const ConsoleOptions& options,
                                            const platform::MachineDescription& machine) {
    platform::MachineDescription description = machine;
    for (std::size_t line = 0; line < description.kLineCount; ++line) {
        if (options.descriptions[line]) description.line(line) = *options.descriptions[line];
        // Every output holds what the result file can: the first 128 characters.
        description.line(line) =
            std::string(platform::leadingCharacters(description.line(line), kDescriptionCapacity));
    }
    return description;
}

RunMachine currentRunMachine(const platform::MachineDescription& description,
                             const RunConditions& conditions) {
    RunMachine machine;
    machine.description = description;
    machine.processor = platform::processorBrand();
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
    if (options.htmlFile)
        outputs.push_back({"--html", *options.htmlFile, "Page written to", OutputContent::Html});
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

void writeRunOutput(std::ostream& out, OutputContent content, const FinishedRun& finished) {
    switch (content) {
        case OutputContent::ResultFile: {
            for (const RunTable& results : savedRuns(finished)) {
                const TCpuRecord record =
                    describedRecord(finished.description, recordTable(results));
                out.write(reinterpret_cast<const char*>(&record), kRecordSize);
            }
            return;
        }
        case OutputContent::Json:
            out << runJson(finished.run) << '\n';
            return;
        case OutputContent::Csv:
            writeCsvHeader(out);
            for (const RunTable& results : savedRuns(finished)) {
                CsvMachine machine{finished.run.host, finished.description, results, nullptr,
                                   coresOf(finished, results)};
                // The run's own summaries go with its table; a repeated run's are its rows'.
                if (&results == &finished.run.results) machine.summaries = finished.run.summaries;
                writeCsvMachine(out, finished.run.testNames, machine);
            }
            return;
        case OutputContent::Html:
            if (finished.page) writeHtmlReport(out, *finished.page);
            return;
    }
}

void writeComparisonOutput(std::ostream& out, OutputContent content,
                           const ComparisonExport& comparison, const HtmlReport& page) {
    if (content == OutputContent::Html) {
        writeHtmlReport(out, page);
        return;
    }
    if (content == OutputContent::Json) {
        writeComparisonJson(out, comparison);
        out << '\n';
        return;
    }
    const auto& statistics = comparison.statistics;
    const auto comparedIn = statistics ? std::optional(statistics->unit) : std::nullopt;
    writeCsvHeader(out, comparedIn);
    for (std::size_t index = 0; index < comparison.machines.size() && out; ++index) {
        const StoredMachine& machine = comparison.machines[index];
        const TCpuRecord& record = *machine.data;
        const bool compared = statistics && index < statistics->machines.size();
        writeCsvMachine(
            out, comparison.testNames,
            {machine.name, recordDescription(record), record.Results,
             compared ? &statistics->machines[index] : nullptr, machine.cores, machine.quality},
            comparedIn);
    }
}

void reportCodePageLoss(const platform::MachineDescription& description, std::ostream& err) {
    constexpr const char* kLines[] = {"processor", "bus", "memory", "operating system"};
    for (std::size_t line = 0; line < description.kLineCount; ++line)
        if (!platform::fitsWindows1251(description.line(line)))
            err << kConsoleMessagePrefix << "the " << kLines[line]
                << " line has characters Windows-1251 lacks; the result file holds '?' for them"
                << std::endl;
}

bool writeOutput(const ConsoleOutput& output, const OutputWriter& write, std::ostream& report,
                 std::ostream& err, platform::FileContentWriter& writer,
                 std::optional<std::time_t> runStarted) {
    const StreamedContent content(write, output.content == OutputContent::ResultFile
                                             ? std::optional<std::uint64_t>(kRecordSize)
                                             : std::nullopt);
    std::error_code error;
    platform::ReplacementNotes notes;
    if (output.file == "-") {
        std::fflush(nullptr);
        error = content.produce(writeStandardOutput);
    } else {
        error = platform::replaceFileContents(output.file, content, writer, &notes);
    }
    if (error) {
        err << writeErrorText(output.file == "-" ? "standard output" : output.file, error)
            << std::endl;
        if (runStarted) {
            // A run's outputs are small: made again whole for the fallback file.
            std::ostringstream bytes;
            write(bytes);
            (void)keepInFallback(
                {output.option, kExtensions[static_cast<int>(output.content)], output.file, error},
                bytes.str(), *runStarted, err);
        }
        return false;
    }
    if (output.file == "-") return true;
    report << output.doneText << " " << platform::printableText(absoluteText(output.file))
           << std::endl;
    if (notes.linksLeftBehind > 0)
        err << kConsoleMessagePrefix << platform::printableText(output.file) << " had "
            << notes.linksLeftBehind
            << " more hard link(s); writing in place could have torn it, so a new file took its "
               "name and the other links keep the old contents"
            << std::endl;
    return true;
}

bool writeOutputs(const std::vector<ConsoleOutput>& outputs,
                  const std::function<void(OutputContent, std::ostream&)>& contents,
                  std::ostream& report, std::ostream& err, platform::FileContentWriter& writer,
                  std::optional<std::time_t> runStarted) {
    bool written = true;
    for (const ConsoleOutput& output : outputs) {
        const auto write = [&](std::ostream& out) { contents(output.content, out); };
        written = writeOutput(output, write, report, err, writer, runStarted) && written;
    }
    return written;
}
