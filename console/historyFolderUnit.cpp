// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/historyFolderUnit.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "console/runFallbackUnit.h"
#include "console/standardOutputUnit.h"
#include "platform/codePage.h"
#include "platform/fileReplacement.h"
#include "record/runReportUnit.h"

namespace {

constexpr int kNameAttempts = 100;

// The reports of `folder` by name, which is by start time: oldest first.
std::vector<std::filesystem::path> reportFiles(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error))
        if (entry->is_regular_file(error) && isRunReportName(entry->path().filename().string()))
            files.push_back(entry->path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::filesystem::path historyFolder() {
    const std::filesystem::path folder = fallbackFolder() / "history";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!error) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    return error ? std::filesystem::path() : folder;
}

std::vector<RecordedRun> readHistory(const std::filesystem::path& folder) {
    std::vector<RecordedRun> runs;
    for (const std::filesystem::path& file : reportFiles(folder)) {
        std::error_code error;
        if (std::filesystem::file_size(file, error) > kRunReportLimit || error) continue;
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), {}};
        if (auto run = parseRecordedRun(text)) runs.push_back(std::move(*run));
    }
    return runs;
}

bool keepInHistory(const std::filesystem::path& folder, std::string_view json, std::time_t started,
                   std::ostream& err) {
    // Numbered within the second with two digits, so that the names sort as the runs came.
    const auto name = [&](int number) {
        char text[80];
        std::snprintf(text, sizeof text, "run-%s-%02d.json", fileNameStamp(started).c_str(),
                      number);
        return folder / text;
    };
    std::filesystem::path file = name(1);
    for (int number = 2; std::filesystem::exists(file) && number < kNameAttempts; ++number)
        file = name(number);
    platform::FileContentWriter writer;
    const auto* data = reinterpret_cast<const std::uint8_t*>(json.data());
    if (const std::error_code error =
            platform::replaceFileContents(file, {data, json.size()}, writer)) {
        err << kConsoleMessagePrefix << "the run could not be kept in the machine's history "
            << platform::printableText(file.native()) << " (" << error.message() << ")"
            << std::endl;
        return false;
    }
    const std::vector<std::filesystem::path> files = reportFiles(folder);
    for (std::size_t old = 0; old + kKeptRuns < files.size(); ++old) {
        std::error_code error;
        std::filesystem::remove(files[old], error);
    }
    return true;
}
