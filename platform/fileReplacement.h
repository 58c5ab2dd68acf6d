#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Replacing the contents of a file so that a failure never leaves it half written and a success
// survives a power loss, while the file keeps what its users expect of it: its mode, its owner
// where the process may set it, its hard links and the symbolic links that lead to it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <system_error>

namespace platform {

// How the new bytes go into the open file, and how they are made durable. The real one writes
// and fsyncs; tests put in one that fails part-way, as a full disk or a failing device would.
class FileContentWriter {
  public:
    virtual ~FileContentWriter() = default;
    // Writes every byte of `bytes` at the descriptor's current offset, retrying after a signal
    // and after a short write; the system's reason when that fails.
    [[nodiscard]] virtual std::error_code writeAll(int descriptor,
                                                   std::span<const std::uint8_t> bytes);
    // fsync: the written bytes reach the disk; the system's reason when they do not.
    [[nodiscard]] virtual std::error_code sync(int descriptor);
};

// Where the pieces of new contents go; the first error it returns ends the writing.
using ContentSink = std::function<std::error_code(std::span<const std::uint8_t> piece)>;

// New contents made piece by piece as they are written, so a document larger than the memory it
// may take can still be saved.
class FileContent {
  public:
    virtual ~FileContent() = default;
    // Hands every piece, in order, to `sink`. Returns the first error `sink` returned, or its
    // own reason when it could not make a piece (out of memory); nothing when all went.
    [[nodiscard]] virtual std::error_code produce(const ContentSink& sink) const = 0;
    // The length of the whole contents when known before they are made.
    virtual std::optional<std::uint64_t> knownSize() const { return std::nullopt; }
};

// Makes `bytes` the whole contents of the file `target`; the system's reason when it cannot.
//
// - A symbolic link is followed to the file it names (created if missing); the link stays. A link
//   the kernel's protected_symlinks rule would not follow (see linkResolution.h) is refused with
//   EACCES, whatever the system's setting, and nothing is written.
// - An existing target that is not a regular file (a folder, a FIFO, a device, a socket) is
//   refused: EISDIR for a folder, ENOTSUP for the others.
// - Otherwise the bytes go into a new file with a short hidden name beside the target, created
//   exclusively (a leftover of any earlier save never blocks a later one), given the old file's
//   mode and, where the process may, its owner and group; it is fsynced, renamed over the target
//   and the folder fsynced. On any failure the new file is removed and the old one is untouched.
//   After a success the process's own temporaries that killed saves left in that folder a day or
//   more ago are removed.
// - A file with several hard links, and a file whose folder does not let the process create a
//   file in it, is overwritten in place instead: its old bytes are kept in memory and written
//   back if the overwrite fails; a longer old file is cut to the new length first (emptied when
//   the new length is not known before the contents are made).
[[nodiscard]] std::error_code replaceFileContents(const std::filesystem::path& target,
                                                  std::span<const std::uint8_t> bytes,
                                                  FileContentWriter& writer);
// The same with contents made while they are written; a failure to make them fails the save.
[[nodiscard]] std::error_code replaceFileContents(const std::filesystem::path& target,
                                                  const FileContent& content,
                                                  FileContentWriter& writer);

// Whether replaceFileContents could write `target`, asked before the bytes exist (a console run
// checks its output files before it spends a minute running).
struct ReplacementCheck {
    std::filesystem::path file;  // the file that would be written: absolute, no link in it
    std::error_code error;       // empty when the save can go ahead
    bool folderFault = false;    // the error is about file's folder: missing, or takes no file
};

// Resolves the links as the save does (a refused link, a missing folder on the way: the error),
// refuses an existing target that is not a regular file as the save does, and checks that the
// file's folder takes a new file, or, where it does not, that the existing file may be written.
[[nodiscard]] ReplacementCheck checkReplacement(const std::filesystem::path& target);

// The folder a file named `file` goes into: its parent, or the current folder for a bare name.
std::filesystem::path containingFolder(const std::filesystem::path& file);

// Whether the process can create a file in `folder`: creates one exclusively under a temporary
// name, as a save would, and removes it again. Empty when it can, else the system's reason (a
// read-only file system, permissions, a folder that the mode bits do not describe).
[[nodiscard]] std::error_code probeFileCreation(const std::filesystem::path& folder);

}  // namespace platform
