// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/runFallbackUnit.h"

#include <cstdint>
#include <cstdlib>

#include "console/standardOutputUnit.h"
#include "platform/codePage.h"
#include "platform/fileReplacement.h"

namespace {

constexpr int kNameAttempts = 100;

// The folder named by the variable `name` (with `below` under it), when it is set and absolute,
// as the base-directory rules require.
std::filesystem::path underVariable(const char* name, const char* below) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return std::filesystem::path(value) / below / "korvex2";
}

}  // namespace

std::string fileNameStamp(std::time_t started) {
    std::tm utc{};
    gmtime_r(&started, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%SZ", &utc);
    return text;
}

std::filesystem::path fallbackFolder() {
    for (const std::filesystem::path& folder :
         {underVariable("XDG_STATE_HOME", ""), underVariable("HOME", ".local/state")}) {
        if (folder.empty()) continue;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (!error) std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
        if (!error) return folder.lexically_normal();
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    return error ? std::filesystem::path(".") : current;
}

bool keepInFallback(const LostOutput& lost, std::string_view bytes, std::time_t started,
                    std::ostream& err) {
    const std::filesystem::path folder = fallbackFolder();
    const std::string base = "korvex2-run-" + fileNameStamp(started);
    std::filesystem::path file = folder / (base + std::string(lost.extension));
    for (int attempt = 2; std::filesystem::exists(file) && attempt < kNameAttempts; ++attempt)
        file = folder / (base + "-" + std::to_string(attempt) + std::string(lost.extension));
    platform::FileContentWriter writer;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::error_code error = platform::replaceFileContents(file, {data, bytes.size()}, writer);
    err << kConsoleMessagePrefix << lost.option << " "
        << platform::printableText(std::string(lost.asked)) << " could not be written ("
        << lost.reason.message() << "); ";
    if (error)
        err << "nor could " << platform::printableText(file.native()) << " (" << error.message()
            << "): this output of the run is lost" << std::endl;
    else
        err << "kept in " << platform::printableText(file.native()) << " instead" << std::endl;
    return !error;
}
