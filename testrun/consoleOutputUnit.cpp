#include "testrun/consoleOutputUnit.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "platform/fileReplacement.h"
#include "platform/runConditions.h"
#include "results/cpuRecordUnit.h"
#include "results/saveFolderUnit.h"

namespace {

std::string absoluteText(const std::string& file) {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error);
    return error ? file : path.lexically_normal().string();
}

std::error_code lastError() {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(std::errc::io_error);
}

// Writes all of `text` to `stream` and flushes it; the reason when that fails.
std::error_code writeAll(std::FILE* stream, std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() || std::fflush(stream) != 0)
        return lastError();
    return {};
}

// Writes `text` to standard output after whatever the streams hold; a failure is reported like
// a failed save.
bool writeStandardOutput(const std::string& text, std::ostream& err) {
    std::fflush(nullptr);
    if (const std::error_code error = writeAll(stdout, text)) {
        err << writeErrorText("standard output", error) << std::endl;
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::uint64_t> clockRateFromLine(std::string_view line) {
    const std::string_view prefix = kClockRateText;
    if (!line.starts_with(prefix) || !line.ends_with("MHz")) return std::nullopt;
    const std::string_view digits = line.substr(prefix.size(), line.size() - prefix.size() - 3);
    std::uint64_t rate = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), rate);
    if (error != std::errc() || digits.empty() || end != digits.data() + digits.size())
        return std::nullopt;
    return rate;
}

bool checkOutputFolders(const ConsoleOptions& options, std::ostream& err) {
    std::optional<std::string> files[] = {options.saveFile, options.jsonFile, options.csvFile};
    if (options.jsonToStandardOutput()) files[1].reset();
    if (options.csvToStandardOutput()) files[2].reset();
    for (const auto& file : files) {
        if (!file) continue;
        if (const std::error_code error = checkTargetFolder(*file)) {
            err << "korvex2-console: cannot write " << *file << ": folder "
                << platform::containingFolder(*file).string() << ": " << error.message()
                << std::endl;
            return false;
        }
    }
    return true;
}

bool checkResultFolders(const ConsoleOptions& options, std::ostream& err) {
    for (const std::string& folder : options.resultFolders) {
        if (const std::error_code error = checkResultFolder(folder)) {
            err << "korvex2-console: cannot read result folder " << folder << ": "
                << error.message() << std::endl;
            return false;
        }
    }
    return true;
}

std::array<std::string, 4> runDescriptions(const ConsoleOptions& options,
                                           const platform::MachineDescription& machine) {
    std::array<std::string, 4> descriptions = machine.lines();
    for (std::size_t field = 0; field < descriptions.size(); ++field)
        if (options.descriptions[field]) descriptions[field] = *options.descriptions[field];
    return descriptions;
}

RunMachine currentRunMachine(const std::array<std::string, 4>& descriptions,
                             const RunConditions& conditions) {
    RunMachine machine;
    machine.cpu = descriptions[0];
    machine.fsb = descriptions[1];
    machine.memory = descriptions[2];
    machine.os = descriptions[3];
    machine.logicalProcessors = platform::logicalProcessors();
    machine.kernelRelease = platform::kernelRelease();
    machine.frequencyGovernors = conditions.governors;
    machine.hypervisor = conditions.hypervisor;
    return machine;
}

bool saveConsoleResults(const std::string& file, const std::array<std::string, 4>& descriptions,
                        const ResultTable& results, std::ostream& report, std::ostream& err) {
    if (const SaveResult saved = saveRecordFile(file, describedRecord(descriptions, results));
        !saved.ok()) {
        err << writeErrorText(file, saved.error) << std::endl;
        return false;
    }
    report << "Results saved to " << absoluteText(file) << std::endl;
    return true;
}

bool writeConsoleJson(const std::string& file, const std::string& json, std::ostream& report,
                      std::ostream& err) {
    const std::string text = json + "\n";
    if (file == "-") return writeStandardOutput(text, err);
    errno = 0;
    std::FILE* stream = std::fopen(file.c_str(), "wb");
    std::error_code error = stream == nullptr ? lastError() : writeAll(stream, text);
    if (stream != nullptr && std::fclose(stream) != 0 && !error) error = lastError();
    if (error) {
        err << writeErrorText(file, error) << std::endl;
        return false;
    }
    report << "JSON written to " << absoluteText(file) << std::endl;
    return true;
}

bool writeConsoleCsv(const std::string& file, const std::string& csv, std::ostream& report,
                     std::ostream& err) {
    if (file == "-") return writeStandardOutput(csv, err);
    platform::FileContentWriter writer;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(csv.data());
    if (const std::error_code error =
            platform::replaceFileContents(file, {bytes, csv.size()}, writer)) {
        err << writeErrorText(file, error) << std::endl;
        return false;
    }
    report << "CSV written to " << absoluteText(file) << std::endl;
    return true;
}
