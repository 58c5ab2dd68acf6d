#include "results/saveFolderUnit.h"

#include "platform/fileReplacement.h"
#include "results/cpuRecordUnit.h"

namespace {

// A file name as it may be printed: anyone who can write into a shared folder chooses its names,
// and an escape sequence in one would be obeyed by the terminal. Control bytes show as '?'.
std::string printableName(const std::filesystem::path& path) {
    std::string name = path.string();
    for (char& byte : name)
        if (static_cast<unsigned char>(byte) < 0x20 || byte == 0x7F) byte = '?';
    return name;
}

}  // namespace

std::error_code checkTargetFolder(const std::filesystem::path& target) {
    const std::filesystem::path folder = platform::containingFolder(target);
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (error) return error;
    if (!std::filesystem::is_directory(status))
        return std::make_error_code(std::errc::not_a_directory);
    return platform::probeFileCreation(folder);
}

std::error_code checkResultFolder(const std::filesystem::path& folder) {
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    if (error) return error;
    if (!std::filesystem::is_directory(status))
        return std::make_error_code(std::errc::not_a_directory);
    std::filesystem::directory_iterator listing(folder, error);
    return error;
}

std::string writeErrorText(const std::filesystem::path& path, std::error_code reason) {
    std::string text = "Ошибка записи";
    if (reason) text += ": " + path.string() + ": " + reason.message();
    return text;
}

std::string resultFileNoteText(const std::filesystem::path& folder, const ResultFileNote& note) {
    const std::string name = printableName(folder / note.name);
    switch (note.kind) {
        case ResultFileNote::Kind::NotARegularFile:
            return name + ": skipped (not a regular file)";
        case ResultFileNote::Kind::Unreadable:
            return name + ": skipped (" + note.reason.message() + ")";
        case ResultFileNote::Kind::OutOfMemory:
            return name + ": skipped after its first records (out of memory)";
        case ResultFileNote::Kind::PartialRecord:
            break;
    }
    return name + ": the last record is partial (" + std::to_string(note.fragmentBytes) + " of " +
           std::to_string(kRecordSize) + " bytes; the rest reads as 0)";
}
