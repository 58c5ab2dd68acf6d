#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// What the console says about the files it writes and reads: whether a target's folder can take
// a new file (checked before a run, so a minute's run is not wasted on a save that cannot
// succeed), the write error with its reason, and which result files of a folder the comparison
// could not use in full.

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/fileReplacement.h"
#include "record/cpuRecordUnit.h"

// Why `target` cannot be written, as platform::checkReplacement found before a run, with control
// characters of the name as '?': "cannot write cpus/a.dat: folder cpus: No such file or
// directory", "cannot write out.json: Operation not supported" (a FIFO, a device).
std::string targetProblemText(const std::filesystem::path& target,
                              const platform::ReplacementCheck& check);

// Whether `folder` is a folder whose listing can be read: an empty code when it is, else the
// system's reason (missing, not a folder, no permission). A FIFO or device is never opened for
// reading, so the check cannot hang on one.
[[nodiscard]] std::error_code checkResultFolder(const std::filesystem::path& folder);

// "Ошибка записи: <path>: <the system's reason>"; just "Ошибка записи" without a reason.
std::string writeErrorText(const std::filesystem::path& path, std::error_code reason);

// The line that tells the user about one file the reader did not use in full, its name shown
// within `folder` with control bytes as '?': "cpus/a.dat: skipped (not a regular file)",
// "cpus/b.dat: the last record is partial (1 of 1316 bytes; the rest reads as 0)".
std::string resultFileNoteText(const std::filesystem::path& folder, const ResultFileNote& note);
