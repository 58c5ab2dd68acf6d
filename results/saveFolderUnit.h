#pragma once
// What the console says about the files it writes and reads: whether a target's folder can take
// a new file (checked before a run, so a minute's run is not wasted on a save that cannot
// succeed), the write error with its reason, and which result files of a folder the comparison
// could not use in full.

#include <filesystem>
#include <string>
#include <system_error>

#include "results/cpuRecordUnit.h"

// Whether a file can be created in the folder of `target` (its parent; the current folder for a
// bare name): an empty code when it can, else the system's reason (the folder is missing, is
// not a folder, or refuses a new file). Tries by creating and removing a hidden file there,
// which also catches read-only file systems and folders the permission bits do not describe.
[[nodiscard]] std::error_code checkTargetFolder(const std::filesystem::path& target);

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
