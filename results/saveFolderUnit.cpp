#include "results/saveFolderUnit.h"

#include <cerrno>
#include <cstdio>
#include <random>

#include "results/cpuRecordUnit.h"

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

}  // namespace

std::error_code checkTargetFolder(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (error) return error;
    if (!std::filesystem::is_directory(status))
        return std::make_error_code(std::errc::not_a_directory);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path probe = folder / (".korvex2-probe-" + std::to_string(random()));
        errno = 0;
        if (std::FILE* file = std::fopen(probe.c_str(), "wbx")) {
            std::fclose(file);
            std::filesystem::remove(probe, error);
            return {};
        }
        if (errno != EEXIST) return lastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

std::string writeErrorText(const std::filesystem::path& path, std::error_code reason) {
    std::string text = "Ошибка записи";
    if (reason) text += ": " + path.string() + ": " + reason.message();
    return text;
}

std::vector<std::string> resultFolderNotes(const std::filesystem::path& folder) {
    std::vector<std::string> notes;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::filesystem::path& path = entry->path();
        if (!isResultFileName(path.filename().native())) continue;
        std::error_code statusError;
        const auto status = std::filesystem::status(path, statusError);
        if (statusError) {
            notes.push_back(path.string() + ": skipped (" + statusError.message() + ")");
            continue;
        }
        if (!std::filesystem::is_regular_file(status)) {
            notes.push_back(path.string() + ": skipped (not a regular file)");
            continue;
        }
        errno = 0;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            notes.push_back(path.string() + ": skipped (" + lastError().message() + ")");
            continue;
        }
        std::fclose(file);
        const std::uintmax_t size = std::filesystem::file_size(path, statusError);
        const std::uintmax_t fragment = statusError ? 0 : size % kRecordSize;
        if (fragment != 0)
            notes.push_back(path.string() + ": the last record is partial (" +
                            std::to_string(fragment) + " of " + std::to_string(kRecordSize) +
                            " bytes; the rest reads as 0)");
    }
    return notes;
}
