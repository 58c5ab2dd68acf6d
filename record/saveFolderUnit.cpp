// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/saveFolderUnit.h"

#include "platform/codePage.h"
#include "platform/fileReplacement.h"
#include "platform/regularFile.h"
#include "record/cpuRecordUnit.h"

namespace {

// A file name as it may be printed: anyone who can write into a shared folder chooses its names,
// and an escape sequence in one would be obeyed by the terminal. Control characters show as '?'.
std::string printableName(const std::filesystem::path& path) {
    return platform::printableText(path.native());
}

}  // namespace

std::string targetProblemText(const std::filesystem::path& target,
                              const platform::ReplacementCheck& check) {
    std::string text = "cannot write " + printableName(target) + ": ";
    if (check.folderFault) {
        // The folder as given, unless a link led elsewhere.
        std::error_code error;
        const bool direct =
            std::filesystem::absolute(target, error).lexically_normal() == check.file;
        text += "folder " +
                printableName(platform::containingFolder(direct ? target : check.file)) + ": ";
    } else if (check.error == std::errc::permission_denied) {
        text += "a link or folder on the way refuses it: ";
    }
    return text + check.error.message();
}

std::error_code checkResultFolder(const std::filesystem::path& folder) {
    return platform::HeldFolder(folder).openError();
}

std::string writeErrorText(const std::filesystem::path& path, std::error_code reason) {
    std::string text = "Ошибка записи";
    if (reason) text += ": " + printableName(path) + ": " + reason.message();
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
        case ResultFileNote::Kind::InAHole:
            return name + ": " + std::to_string(note.records) +
                   " records in a hole (never written) not loaded";
        case ResultFileNote::Kind::OverBudget:
            return name + ": " + std::to_string(note.records) +
                   " records of this and later files left out (at most " +
                   std::to_string(note.budget > 0 ? note.budget : kRecordBudget) +
                   " records are loaded)";
        case ResultFileNote::Kind::NotARunReport:
            return name + ": skipped (not a run report: " + note.detail + ")";
        case ResultFileNote::Kind::UnlikeItsResultFile:
            return name + ": skipped (its tests are in no record of " +
                   printableName(folder / note.detail) + ", which is compared)";
        case ResultFileNote::Kind::PartialRecord:
            break;
    }
    return name + ": the last record is partial (" + std::to_string(note.fragmentBytes) + " of " +
           std::to_string(kRecordSize) + " bytes; the rest reads as 0)";
}
