#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Reading a file that may be anything a shared folder holds. Only a regular file is read: a FIFO
// would block the reader until someone writes into it, a device such as /dev/zero never ends, and
// opening some devices has effects of its own, so neither is ever opened for reading.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "platform/descriptor.h"

namespace platform {

// A folder held open for listing and for opening its files, reached as walkPath walks (see
// linkResolution.h), so a name swapped for a link while it is read leads nowhere else.
class HeldFolder {
  public:
    explicit HeldFolder(const std::filesystem::path& path);
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    // Empty when the folder is open, else the system's reason (missing, not a folder, a link the
    // rule refuses, no permission).
    std::error_code openError() const { return openError_; }
    int descriptor() const { return descriptor_.get(); }
    // The absolute name with no link in it.
    const std::filesystem::path& shown() const { return shown_; }

    // The next name of the listing ("." and ".." left out) in the listing's order; false at the
    // end or when the listing fails.
    bool nextName(std::string& name);
    // Why the folder could not be read whole: openError(), or the system's reason when the
    // listing failed part-way; empty when it was read (or is being read) without fault.
    std::error_code readError() const { return openError_ ? openError_ : listingError_; }

  private:
    Descriptor descriptor_;
    std::filesystem::path shown_;
    std::error_code openError_;
    std::error_code listingError_;
    void* listing_ = nullptr;  // the DIR of a duplicate descriptor, opened on the first name
};

class RegularFile {
  public:
    // Opens `path` for reading, following symbolic links where the kernel's protected_symlinks
    // rule would (see linkResolution.h; a link it refuses gives EACCES). The file stays closed
    // (isOpen() is false) when it cannot be opened or is not a regular file once opened.
    // Opening never waits.
    explicit RegularFile(const std::filesystem::path& path);
    // Opens the file `name` of `folder` the same way: one look when it is no link.
    RegularFile(const HeldFolder& folder, const std::string& name);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }

    // Why the file stayed closed: the system's reason when the name could not be looked at or
    // opened, empty when it was found to be something other than a regular file (or is open).
    std::error_code openError() const { return openError_; }

    // The file's length in bytes when it was opened; a reader that stops there stays bounded
    // even while someone keeps appending to the file.
    std::uint64_t size() const { return size_; }

    // Reads up to buffer.size() bytes at the current position, retrying after a signal: the
    // number of bytes read, 0 at the end of the file, -1 when the read fails.
    std::ptrdiff_t read(std::span<std::uint8_t> buffer);

    // Where stored data begins at or after `offset`: `offset` itself unless the file system
    // reports a hole there (the unwritten part of a sparse file), the length when only a hole
    // follows; `offset` when the file has shrunk to end there or before. Does not move the read
    // position.
    std::uint64_t dataFrom(std::uint64_t offset);

    // Where the stored data at `offset` ends: the next hole, or the length when none comes
    // first. Does not move the read position.
    std::uint64_t holeFrom(std::uint64_t offset);

    // Moves the read position to `offset`; false when that fails.
    bool seek(std::uint64_t offset);

  private:
    void open(int folder, const std::string& name, const std::filesystem::path& shown);

    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    std::error_code openError_;
};

// The text of a small file of the system's (/proc, /sys, /etc), opened as RegularFile opens it,
// so a FIFO or device in its place is never waited on; cut at 4 MiB, since a file of this kind
// that grows beyond it is not the one expected. Nothing when it cannot be opened or read.
std::optional<std::string> readSmallFile(const std::filesystem::path& path);

}  // namespace platform
