// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/fileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/descriptor.h"
#include "platform/linkResolution.h"
#include "platform/systemError.h"

namespace platform {

namespace {

constexpr int kNameAttempts = 100;
constexpr char kTemporaryPrefix[] = ".korvex-";
constexpr std::size_t kTemporaryLetters = 8;
// A temporary this old is a leftover of a save that was killed, not one in progress.
constexpr time_t kStaleTemporaryAge = 60 * 60;
// The mode new contents keep: the old one less the set-user-ID and set-group-ID bits. Those
// grant the file's owner's or group's rights to whatever runs it, granted to the old contents;
// the kernel drops them too when anyone but root writes into a file.
constexpr mode_t kKeptModeBits = 01777;

// A name that is short whatever the target's length (so a 255-byte name still saves), hidden,
// and never ends in ".dat", so a leftover is never read as a result file.
std::string temporaryName(std::mt19937& random) {
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
    std::string name = kTemporaryPrefix;
    for (std::size_t i = 0; i < kTemporaryLetters; ++i) name += kLetters[letter(random)];
    return name;
}

// Creates a new file in `folder` exclusively under a fresh temporary name.
int createTemporary(int folder, mode_t mode, std::string& name) {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        name = temporaryName(random);
        const int descriptor = ::openat(folder, name.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST) return descriptor;
    }
    return -1;
}

std::error_code readAllAt(int descriptor, std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t got = ::pread(descriptor, buffer.data() + done, buffer.size() - done,
                                    static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return lastSystemError();
        if (got == 0) return std::make_error_code(std::errc::io_error);  // shrank meanwhile
        done += static_cast<std::size_t>(got);
    }
    return {};
}

std::error_code writeAllAt(int descriptor, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(descriptor, bytes.data() + done, bytes.size() - done,
                                     static_cast<off_t>(done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0)
            return put < 0 ? lastSystemError() : std::make_error_code(std::errc::io_error);
        done += static_cast<std::size_t>(put);
    }
    return {};
}

// Whether a sticky folder keeps the process from replacing `old`: only the file's owner, the
// folder's owner and a privileged process may rename over or remove it.
bool stickyRefuses(int folder, const struct stat& old) {
    struct stat status {};
    if (::fstat(folder, &status) != 0) return false;
    const uid_t user = ::geteuid();
    return (status.st_mode & S_ISVTX) != 0 && user != 0 && old.st_uid != user &&
           status.st_uid != user;
}

bool refusedByPermission(std::error_code error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted;
}

// /proc, /sys and the kernel's other file systems of that kind: their files are the kernel's
// settings and reports, and what they say to a write is no reason a user could act on.
bool onKernelFileSystem(int folder) {
    struct statfs info {};
    if (::fstatfs(folder, &info) != 0) return false;
    switch (info.f_type) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

// What a save meets: the walked path, held, and what its last name holds.
struct Target {
    WalkedPath path;
    struct stat old {};
    bool exists = false;
};

// Walks `target` and looks at what its last name holds: nothing yet, or a regular file. A
// folder (EISDIR), a FIFO, device or socket (ENOTSUP), a link put there since the walk (ELOOP)
// and a file of the kernel's file systems are refused.
std::error_code inspectTarget(const std::filesystem::path& target, Target& inspected) {
    if (const std::error_code error =
            walkPath(target, inspected.path, AT_FDCWD, {}, LinkRule::Write))
        return error;
    const WalkedPath& path = inspected.path;
    if (path.name == ".") return std::make_error_code(std::errc::is_a_directory);
    if (onKernelFileSystem(path.folder.get())) return ReplacementRefusal::KernelFileSystem;
    inspected.exists =
        ::fstatat(path.folder.get(), path.name.c_str(), &inspected.old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!inspected.exists) return errno == ENOENT ? std::error_code() : lastSystemError();
    const mode_t type = inspected.old.st_mode & S_IFMT;
    if (type == S_IFDIR) return std::make_error_code(std::errc::is_a_directory);
    if (type == S_IFLNK) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    if (type != S_IFREG) return std::make_error_code(std::errc::not_supported);
    return {};
}

// The bytes of one span, in one piece.
class BytesContent final : public FileContent {
  public:
    explicit BytesContent(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::error_code produce(const ContentSink& sink) const override { return sink(bytes_); }
    std::optional<std::uint64_t> knownSize() const override { return bytes_.size(); }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Writes every piece of `content` at the descriptor's offset.
std::error_code writeContent(int descriptor, const FileContent& content,
                             FileContentWriter& writer) {
    return content.produce(
        [&](std::span<const std::uint8_t> piece) { return writer.writeAll(descriptor, piece); });
}

// The in-place write cannot tear the file when one write puts all of the new bytes in and no
// cut follows: they are no shorter than the old contents and fit in one page, which the kernel
// copies whole before it looks at a pending kill again.
bool fitsInPlace(std::uint64_t oldSize, std::optional<std::uint64_t> size) {
    return size && oldSize <= *size && *size <= static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Overwrites the target in place, which keeps its inode: its hard links, mode and owner. When
// the file cannot be opened for writing: `notWritable`; when it is (or has grown since it was
// looked at) too long for the new bytes to go in untorn: `wouldTear`. A failed write or sync
// puts the old bytes back, which fit in a page.
std::error_code overwriteInPlace(const Target& target, const FileContent& content,
                                 FileContentWriter& writer, std::error_code notWritable,
                                 std::error_code wouldTear) {
    Descriptor file(::openat(target.path.folder.get(), target.path.name.c_str(),
                             O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) return notWritable;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return lastSystemError();
    if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::not_supported);
    const auto oldSize = static_cast<std::uint64_t>(status.st_size);
    if (!fitsInPlace(oldSize, content.knownSize())) return wouldTear;
    // The new contents are gathered first (they fit in a page), so one write puts them in.
    std::vector<std::uint8_t> newBytes;
    const std::uint64_t newSize = *content.knownSize();
    if (const std::error_code error = content.produce([&](std::span<const std::uint8_t> piece) {
            if (newBytes.size() + piece.size() > newSize)
                return std::make_error_code(std::errc::file_too_large);
            newBytes.insert(newBytes.end(), piece.begin(), piece.end());
            return std::error_code();
        }))
        return error;
    if (newBytes.size() != newSize) return std::make_error_code(std::errc::io_error);
    std::vector<std::uint8_t> oldBytes(oldSize);
    if (const std::error_code error = readAllAt(file.get(), oldBytes)) return error;

    std::error_code error = writer.writeAll(file.get(), newBytes);
    if (!error) error = writer.sync(file.get());
    if (error) {
        // Best effort: the first failure is the one reported.
        [[maybe_unused]] const int truncated = ::ftruncate(file.get(), static_cast<off_t>(oldSize));
        (void)writeAllAt(file.get(), oldBytes);
        (void)::fsync(file.get());
        return error;
    }
    // The kernel has dropped the set-ID bits already unless the process is root's.
    if ((status.st_mode & ~kKeptModeBits & 07777) != 0) {
        [[maybe_unused]] const int dropped = ::fchmod(file.get(), status.st_mode & kKeptModeBits);
    }
    return file.close();
}

// Removes the process's own temporaries in `folder` that a killed save left an hour or more ago:
// a regular file of this user named as createTemporary names them. Best effort.
void removeStaleTemporaries(int folder) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return;
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    const time_t now = ::time(nullptr);
    const std::string_view prefix = kTemporaryPrefix;
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kTemporaryLetters || !name.starts_with(prefix)) continue;
        struct stat status {};
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
            now - status.st_mtime >= kStaleTemporaryAge)
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(entries);
}

// Whether the process can create a file in `folder` (and read it, for the fsync after a
// rename): creates one exclusively under a temporary name, as a save would, and removes it
// again. Empty when it can, else the system's reason (a read-only file system, permissions, a
// folder that the mode bits do not describe).
std::error_code probeFileCreation(int folder) {
    if (const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        !readable.valid())
        return lastSystemError();
    std::string name;
    Descriptor probe(createTemporary(folder, 0600, name));
    if (!probe.valid()) return lastSystemError();
    const std::error_code closed = probe.close();
    ::unlinkat(folder, name.c_str(), 0);
    return closed;
}

// Gives the new file the old one's owner and group where the process may (a user may still set
// the group to one of their own), then its mode.
std::error_code takeOverAttributes(int file, const struct stat& old) {
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(file, old.st_mode & kKeptModeBits) == 0 ? std::error_code() : lastSystemError();
}

}  // namespace

std::error_code FileContentWriter::writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0)
            return put < 0 ? lastSystemError() : std::make_error_code(std::errc::io_error);
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code FileContentWriter::sync(int descriptor) {
    return ::fsync(descriptor) == 0 ? std::error_code() : lastSystemError();
}

std::error_code replaceFileContents(const std::filesystem::path& target,
                                    std::span<const std::uint8_t> bytes, FileContentWriter& writer,
                                    ReplacementNotes* notes) {
    return replaceFileContents(target, BytesContent(bytes), writer, notes);
}

std::error_code replaceFileContents(const std::filesystem::path& target, const FileContent& content,
                                    FileContentWriter& writer, ReplacementNotes* notes) {
    Target inspected;
    if (const std::error_code error = inspectTarget(target, inspected)) return error;
    const WalkedPath& path = inspected.path;
    const struct stat& old = inspected.old;
    const bool exists = inspected.exists;
    // Read access, for the fsync of the folder and the look for stale temporaries.
    Descriptor folder(::openat(path.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return lastSystemError();

    // A file with several links keeps them where it may be written in place untorn.
    if (exists && old.st_nlink > 1 &&
        fitsInPlace(static_cast<std::uint64_t>(old.st_size), content.knownSize()) &&
        ::faccessat(path.folder.get(), path.name.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        return overwriteInPlace(inspected, content, writer,
                                std::make_error_code(std::errc::permission_denied),
                                ReplacementRefusal::NoNewFileWouldTear);

    // A new file gets the mode a plain create gives (0666 less the umask); an existing file's
    // bytes are never readable to more people than before, not even while being written.
    std::string temporary;
    Descriptor file(createTemporary(folder.get(), exists ? 0600 : 0666, temporary));
    if (!file.valid()) {
        const std::error_code error = lastSystemError();
        if (exists && refusedByPermission(error))
            return overwriteInPlace(inspected, content, writer, error,
                                    ReplacementRefusal::NoNewFileWouldTear);
        return error;
    }

    std::error_code error = exists ? takeOverAttributes(file.get(), old) : std::error_code();
    if (!error) error = writeContent(file.get(), content, writer);
    if (!error) error = writer.sync(file.get());
    if (const std::error_code closed = file.close(); !error) error = closed;
    bool renameRefused = false;
    if (!error &&
        ::renameat(folder.get(), temporary.c_str(), folder.get(), path.name.c_str()) != 0) {
        error = lastSystemError();
        renameRefused = exists && refusedByPermission(error);
    }
    if (error) {
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        // A sticky folder lets only the owners replace the file; it may still be writable.
        if (renameRefused)
            return overwriteInPlace(inspected, content, writer, ReplacementRefusal::StickyFolder,
                                    ReplacementRefusal::StickyFolderWouldTear);
        return error;
    }
    // The rename itself reaches the disk with the folder. Some file systems cannot sync a
    // folder (EINVAL); that is no reason to call a completed save failed.
    if (const std::error_code synced = writer.sync(folder.get());
        synced && synced != std::errc::invalid_argument)
        return synced;
    if (notes != nullptr && exists && old.st_nlink > 1) notes->linksLeftBehind = old.st_nlink - 1;
    removeStaleTemporaries(folder.get());
    return {};
}

ReplacementCheck checkReplacement(const std::filesystem::path& target,
                                  std::optional<std::uint64_t> size) {
    ReplacementCheck check{target, {}, false};
    Target inspected;
    check.error = inspectTarget(target, inspected);
    const WalkedPath& path = inspected.path;
    if (!path.shown.empty()) check.file = path.shown;
    if (check.error) {
        check.folderFault = check.error == std::errc::no_such_file_or_directory ||
                            check.error == std::errc::not_a_directory;
        return check;
    }
    check.error = probeFileCreation(path.folder.get());
    check.folderFault = static_cast<bool>(check.error);
    if (!inspected.exists || (check.error && !refusedByPermission(check.error))) return check;

    const auto oldSize = static_cast<std::uint64_t>(inspected.old.st_size);
    // Read as well: the in-place write keeps the old bytes to put them back on a failure.
    const bool writable =
        ::faccessat(path.folder.get(), path.name.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
    const bool inPlace = writable && (!size || fitsInPlace(oldSize, *size));
    const bool replaceable = !check.error && !stickyRefuses(path.folder.get(), inspected.old);
    if (inPlace || replaceable) {
        check.error.clear();
        check.folderFault = false;
    } else if (!check.error) {
        check.error =
            writable ? ReplacementRefusal::StickyFolderWouldTear : ReplacementRefusal::StickyFolder;
    } else if (writable) {
        check.error = ReplacementRefusal::NoNewFileWouldTear;
        check.folderFault = false;
    }
    return check;
}

std::filesystem::path containingFolder(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

}  // namespace platform
