// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/fileReplacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <new>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linkResolution.h"
#include "platform/systemError.h"

namespace platform {

namespace {

constexpr int kNameAttempts = 100;
constexpr char kTemporaryPrefix[] = ".korvex-";
constexpr std::size_t kTemporaryLetters = 8;
// A temporary this old is a leftover of a save that was killed, not one in progress.
constexpr time_t kStaleTemporaryAge = 24 * 60 * 60;

// A descriptor closed at the end of its scope.
class Descriptor {
  public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }
    // Closes now, for the error close reports (a deferred write error on some file systems).
    std::error_code close() {
        const int descriptor = descriptor_;
        descriptor_ = -1;
        return ::close(descriptor) == 0 ? std::error_code() : lastSystemError();
    }

  private:
    int descriptor_;
};

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

// Overwrites the regular file `path` in place, which keeps its inode: its hard links, mode and
// owner. The old bytes are read first and written back if the overwrite fails. A longer old file
// is cut to the new length (emptied when that is not known) before the new bytes go in, so a kill
// part-way never leaves a file longer than the new one: the new bytes followed by the old tail
// would read as records of neither.
std::error_code overwriteInPlace(const std::filesystem::path& path, const FileContent& content,
                                 FileContentWriter& writer) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) return lastSystemError();
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return lastSystemError();
    if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::not_supported);
    const auto oldSize = static_cast<std::uint64_t>(status.st_size);
    std::vector<std::uint8_t> oldBytes;
    try {
        oldBytes.resize(oldSize);
    } catch (const std::bad_alloc&) {
        return std::make_error_code(std::errc::not_enough_memory);
    }
    if (const std::error_code error = readAllAt(file.get(), oldBytes)) return error;

    std::error_code error;
    const std::uint64_t newSize = content.knownSize().value_or(0);
    if (oldSize > newSize && ::ftruncate(file.get(), static_cast<off_t>(newSize)) != 0)
        error = lastSystemError();
    if (!error) error = writeContent(file.get(), content, writer);
    if (!error) error = writer.sync(file.get());
    if (error) {
        // Best effort: the first failure is the one reported.
        [[maybe_unused]] const int truncated = ::ftruncate(file.get(), static_cast<off_t>(oldSize));
        (void)writeAllAt(file.get(), oldBytes);
        (void)::fsync(file.get());
        return error;
    }
    return file.close();
}

// Resolves the links of `path` as the kernel would follow them and looks at what it names:
// nothing yet (`exists` false) or a regular file (`status`). A folder (EISDIR) and a FIFO, device
// or socket (ENOTSUP) are refused.
std::error_code inspectTarget(std::filesystem::path& path, struct stat& status, bool& exists) {
    if (const std::error_code error = resolveLinks(path)) return error;
    exists = ::lstat(path.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) return lastSystemError();
    if (exists && S_ISDIR(status.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (exists && !S_ISREG(status.st_mode)) return std::make_error_code(std::errc::not_supported);
    return {};
}

// Removes the process's own temporaries in `folder` that a killed save left a day or more ago:
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

// Gives the new file the old one's owner and group where the process may (a user may still set
// the group to one of their own), then its mode: a change of owner clears the set-user-ID and
// set-group-ID bits, which the mode puts back.
std::error_code takeOverAttributes(int file, const struct stat& old) {
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(file, old.st_mode & 07777) == 0 ? std::error_code() : lastSystemError();
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
                                    std::span<const std::uint8_t> bytes,
                                    FileContentWriter& writer) {
    return replaceFileContents(target, BytesContent(bytes), writer);
}

std::error_code replaceFileContents(const std::filesystem::path& target, const FileContent& content,
                                    FileContentWriter& writer) {
    std::filesystem::path path = target;
    struct stat old {};
    bool exists = false;
    if (const std::error_code error = inspectTarget(path, old, exists)) return error;
    if (exists && old.st_nlink > 1) return overwriteInPlace(path, content, writer);

    const std::string name = path.filename().native();
    Descriptor folder(::open(containingFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return lastSystemError();

    // A new file gets the mode a plain create gives (0666 less the umask); an existing file's
    // bytes are never readable to more people than before, not even while being written.
    std::string temporary;
    Descriptor file(createTemporary(folder.get(), exists ? 0600 : 0666, temporary));
    if (!file.valid()) {
        const std::error_code error = lastSystemError();
        if (exists &&
            (error == std::errc::permission_denied || error == std::errc::operation_not_permitted))
            return overwriteInPlace(path, content, writer);
        return error;
    }

    std::error_code error = exists ? takeOverAttributes(file.get(), old) : std::error_code();
    if (!error) error = writeContent(file.get(), content, writer);
    if (!error) error = writer.sync(file.get());
    if (const std::error_code closed = file.close(); !error) error = closed;
    if (!error && ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
        error = lastSystemError();
    if (error) {
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        return error;
    }
    // The rename itself reaches the disk with the folder. Some file systems cannot sync a
    // folder (EINVAL); that is no reason to call a completed save failed.
    if (::fsync(folder.get()) != 0 && errno != EINVAL) return lastSystemError();
    removeStaleTemporaries(folder.get());
    return {};
}

ReplacementCheck checkReplacement(const std::filesystem::path& target) {
    ReplacementCheck check{target, {}, false};
    struct stat status {};
    bool exists = false;
    if ((check.error = inspectTarget(check.file, status, exists))) {
        check.folderFault = check.error == std::errc::no_such_file_or_directory ||
                            check.error == std::errc::not_a_directory;
        return check;
    }
    check.error = probeFileCreation(containingFolder(check.file));
    const bool refused = check.error == std::errc::permission_denied ||
                         check.error == std::errc::operation_not_permitted;
    if (exists && refused && ::faccessat(AT_FDCWD, check.file.c_str(), W_OK, AT_EACCESS) == 0)
        check.error.clear();
    check.folderFault = static_cast<bool>(check.error);
    return check;
}

std::filesystem::path containingFolder(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::error_code probeFileCreation(const std::filesystem::path& folder) {
    Descriptor opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened.valid()) return lastSystemError();
    std::string name;
    Descriptor probe(createTemporary(opened.get(), 0600, name));
    if (!probe.valid()) return lastSystemError();
    const std::error_code closed = probe.close();
    ::unlinkat(opened.get(), name.c_str(), 0);
    return closed;
}

}  // namespace platform
