#include "platform/fileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

namespace platform {

namespace {

// As many links as the kernel follows in one path lookup (MAXSYMLINKS).
constexpr int kMaximumLinks = 40;
constexpr int kNameAttempts = 100;

std::error_code lastError() { return {errno, std::generic_category()}; }

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
        return ::close(descriptor) == 0 ? std::error_code() : lastError();
    }

  private:
    int descriptor_;
};

// Follows symbolic links from `path` to the name of the file they lead to, which need not exist
// yet (writing through a dangling link creates the file it names).
std::error_code followLinks(std::filesystem::path& path) {
    for (int hop = 0; hop < kMaximumLinks; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0)
            return errno == ENOENT ? std::error_code() : lastError();
        if (!S_ISLNK(status.st_mode)) return {};
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) return error;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// A name that is short whatever the target's length (so a 255-byte name still saves), hidden,
// and never ends in ".dat", so a leftover is never read as a result file.
std::string temporaryName(std::mt19937& random) {
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> letter(0, sizeof kLetters - 2);
    std::string name = ".korvex-";
    for (int i = 0; i < 8; ++i) name += kLetters[letter(random)];
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
        if (got < 0) return lastError();
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
        if (put <= 0) return put < 0 ? lastError() : std::make_error_code(std::errc::io_error);
        done += static_cast<std::size_t>(put);
    }
    return {};
}

// Overwrites the regular file `path` in place, which keeps its inode: its hard links, mode and
// owner. The bytes the new contents cover are read first and written back if the overwrite
// fails; a longer old file loses its tail only once the new bytes are on the disk.
std::error_code overwriteInPlace(const std::filesystem::path& path,
                                 std::span<const std::uint8_t> bytes, FileContentWriter& writer) {
    Descriptor file(::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) return lastError();
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) return lastError();
    if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::not_supported);
    const auto oldSize = static_cast<std::uint64_t>(status.st_size);
    std::vector<std::uint8_t> oldBytes(std::min<std::uint64_t>(oldSize, bytes.size()));
    if (const std::error_code error = readAllAt(file.get(), oldBytes)) return error;

    std::error_code error = writer.writeAll(file.get(), bytes);
    if (!error) error = writer.sync(file.get());
    if (!error && oldSize > bytes.size()) {
        if (::ftruncate(file.get(), static_cast<off_t>(bytes.size())) != 0)
            error = lastError();
        else
            error = writer.sync(file.get());
    }
    if (error) {
        // Best effort: the first failure is the one reported.
        (void)writeAllAt(file.get(), oldBytes);
        [[maybe_unused]] const int truncated = ::ftruncate(file.get(), static_cast<off_t>(oldSize));
        (void)::fsync(file.get());
        return error;
    }
    return file.close();
}

// Gives the new file the old one's owner and group where the process may (a user may still set
// the group to one of their own), then its mode: a change of owner clears the set-user-ID and
// set-group-ID bits, which the mode puts back.
std::error_code takeOverAttributes(int file, const struct stat& old) {
    if (::fchown(file, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int groupOnly = ::fchown(file, static_cast<uid_t>(-1), old.st_gid);
    }
    return ::fchmod(file, old.st_mode & 07777) == 0 ? std::error_code() : lastError();
}

}  // namespace

std::error_code FileContentWriter::writeAll(int descriptor, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(descriptor, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return put < 0 ? lastError() : std::make_error_code(std::errc::io_error);
        bytes = bytes.subspan(static_cast<std::size_t>(put));
    }
    return {};
}

std::error_code FileContentWriter::sync(int descriptor) {
    return ::fsync(descriptor) == 0 ? std::error_code() : lastError();
}

std::error_code replaceFileContents(const std::filesystem::path& target,
                                    std::span<const std::uint8_t> bytes,
                                    FileContentWriter& writer) {
    std::filesystem::path path = target;
    if (const std::error_code error = followLinks(path)) return error;

    struct stat old {};
    const bool exists = ::lstat(path.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return lastError();
    if (exists && S_ISDIR(old.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (exists && !S_ISREG(old.st_mode)) return std::make_error_code(std::errc::not_supported);
    if (exists && old.st_nlink > 1) return overwriteInPlace(path, bytes, writer);

    const std::string name = path.filename().native();
    Descriptor folder(::open(containingFolder(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) return lastError();

    // A new file gets the mode a plain create gives (0666 less the umask); an existing file's
    // bytes are never readable to more people than before, not even while being written.
    std::string temporary;
    Descriptor file(createTemporary(folder.get(), exists ? 0600 : 0666, temporary));
    if (!file.valid()) {
        const std::error_code error = lastError();
        if (exists &&
            (error == std::errc::permission_denied || error == std::errc::operation_not_permitted))
            return overwriteInPlace(path, bytes, writer);
        return error;
    }

    std::error_code error = exists ? takeOverAttributes(file.get(), old) : std::error_code();
    if (!error) error = writer.writeAll(file.get(), bytes);
    if (!error) error = writer.sync(file.get());
    if (const std::error_code closed = file.close(); !error) error = closed;
    if (!error && ::renameat(folder.get(), temporary.c_str(), folder.get(), name.c_str()) != 0)
        error = lastError();
    if (error) {
        ::unlinkat(folder.get(), temporary.c_str(), 0);
        return error;
    }
    // The rename itself reaches the disk with the folder. Some file systems cannot sync a
    // folder (EINVAL); that is no reason to call a completed save failed.
    if (::fsync(folder.get()) != 0 && errno != EINVAL) return lastError();
    return {};
}

std::filesystem::path containingFolder(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
}

std::error_code probeFileCreation(const std::filesystem::path& folder) {
    Descriptor opened(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!opened.valid()) return lastError();
    std::string name;
    Descriptor probe(createTemporary(opened.get(), 0600, name));
    if (!probe.valid()) return lastError();
    const std::error_code closed = probe.close();
    ::unlinkat(opened.get(), name.c_str(), 0);
    return closed;
}

}  // namespace platform
