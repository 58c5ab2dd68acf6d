#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Replacing the contents of a file so that a failure never leaves it half written and a success
// survives a power loss, while the file keeps what its users expect of it: its mode, its owner
// where the process may set it, its hard links where that cannot tear it, and the symbolic links
// that lead to it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <system_error>

#include "platform/replacementRefusal.h"

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
    // fsync of a file or a folder: the written bytes, or a rename in the folder, reach the
    // disk; the system's reason when they do not.
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

// What a successful replacement did that its caller should tell the user.
struct ReplacementNotes {
    // The file had this many other hard links, and was replaced by a new file: those names keep
    // the old contents. 0 when there were none or the file was written in place.
    std::uint64_t linksLeftBehind = 0;
};

// Makes `bytes` the whole contents of the file `target`; the system's reason, or a
// ReplacementRefusal, when it cannot. The path is walked as walkPath walks it (see
// linkResolution.h), and every step below is taken relative to the folder it ends in, held open,
// so a folder on the way swapped for a link meanwhile never leads the bytes elsewhere.
//
// - A symbolic link is followed to the file it names (created if missing); the link stays. A link
//   the kernel's protected_symlinks rule would not follow is refused with EACCES, whatever the
//   system's setting, and a link (the target's or a folder's on the way) of a user other than
//   the process's and root with ReplacementRefusal::AnotherUsersLink (LinkRule::Write); nothing
//   is written.
// - An existing target that is not a regular file (a folder, a FIFO, a device, a socket) is
//   refused: EISDIR for a folder, ENOTSUP for the others. A target on /proc or /sys is refused.
// - Otherwise the bytes go into a new file with a short hidden name beside the target, created
//   exclusively (a leftover of any earlier save never blocks a later one), given the old file's
//   mode and, where the process may, its owner and group; it is fsynced, renamed over the target
//   and the folder fsynced (both through `writer`). On any failure the new file is removed and the
//   old one is untouched. After a success the process's own temporaries that killed saves left in
//   that folder an hour or more ago are removed.
// - A file is overwritten in place, which keeps its inode and so its hard links, only where the
//   new contents cannot tear it: they are no shorter than the old and fit in one page, so one
//   write puts them in and no cut follows. That is chosen for a file with several hard links, and
//   tried where the new file cannot be created or renamed over the target (a folder the process
//   may not write, a sticky folder where the file is another user's). A file with several links
//   that cannot be written so is replaced by a new file; `notes` (when given) then counts the
//   links left with the old contents. A failed overwrite puts the old bytes back.
[[nodiscard]] std::error_code replaceFileContents(const std::filesystem::path& target,
                                                  std::span<const std::uint8_t> bytes,
                                                  FileContentWriter& writer,
                                                  ReplacementNotes* notes = nullptr);
// The same with contents made while they are written; a failure to make them fails the save.
// Contents whose length is not known before they are made are never written in place.
[[nodiscard]] std::error_code replaceFileContents(const std::filesystem::path& target,
                                                  const FileContent& content,
                                                  FileContentWriter& writer,
                                                  ReplacementNotes* notes = nullptr);

// Whether replaceFileContents could write `target`, asked before the bytes exist (a console run
// checks its output files before it spends a minute running).
struct ReplacementCheck {
    std::filesystem::path file;  // the file that would be written: absolute, no link in it
    std::error_code error;       // empty when the save can go ahead
    bool folderFault = false;    // the error is about file's folder: missing, or takes no file
};

// Walks the path as the save does (a refused link, a missing folder on the way: the error),
// refuses what the save refuses, and predicts what the save will meet: whether the folder takes
// a new file (one is created and removed), whether a sticky folder lets the process replace the
// existing file, and, where neither, whether the file may be written in place. `size`, when
// known, is the length the contents will have, for the rule of the in-place write; when not
// known the check assumes they fit.
[[nodiscard]] ReplacementCheck checkReplacement(const std::filesystem::path& target,
                                                std::optional<std::uint64_t> size = {});

// The folder a file named `file` goes into: its parent, or the current folder for a bare name.
std::filesystem::path containingFolder(const std::filesystem::path& file);

}  // namespace platform
