// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/regularFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/linkResolution.h"
#include "platform/systemError.h"

namespace platform {

namespace {

// Far more than any small file holds; a runaway file is cut here rather than read whole.
constexpr std::size_t kLargestSmallFile = 4u << 20;

}  // namespace

HeldFolder::HeldFolder(const std::filesystem::path& path) {
    WalkedPath walked;
    if ((openError_ = walkPath(path, walked))) return;
    if ((openError_ = openWalkedFolder(walked, descriptor_))) return;
    shown_ = std::move(walked.shown);
}

HeldFolder::~HeldFolder() {
    if (listing_ != nullptr) ::closedir(static_cast<DIR*>(listing_));
}

bool HeldFolder::nextName(std::string& name) {
    if (listing_ == nullptr && descriptor_.valid()) {
        // The listing reads through a descriptor of its own, so the held one keeps its offset.
        const int duplicate = ::openat(descriptor_.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (duplicate < 0 || (listing_ = ::fdopendir(duplicate)) == nullptr) {
            listingError_ = lastSystemError();
            if (duplicate >= 0) ::close(duplicate);
        }
    }
    if (listing_ == nullptr) return false;
    errno = 0;
    while (const dirent* entry = ::readdir(static_cast<DIR*>(listing_))) {
        name = entry->d_name;
        if (name != "." && name != "..") return true;
        errno = 0;
    }
    if (errno != 0) listingError_ = lastSystemError();
    return false;
}

RegularFile::RegularFile(const std::filesystem::path& path) {
    WalkedPath walked;
    if ((openError_ = walkPath(path, walked))) return;
    open(walked.folder.get(), walked.name, walked.shown.parent_path());
}

RegularFile::RegularFile(const HeldFolder& folder, const std::string& name) {
    if ((openError_ = folder.openError())) return;
    open(folder.descriptor(), name, folder.shown());
}

void RegularFile::open(int folder, const std::string& name, const std::filesystem::path& shown) {
    // The name is looked at first, so a device is not even opened; what is opened is checked
    // again, since the name may have been replaced in between. O_NONBLOCK keeps a FIFO put there
    // meanwhile from blocking the open, O_NOFOLLOW a link put there from being followed.
    struct stat status {};
    if (::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        openError_ = lastSystemError();
        return;
    }
    WalkedPath walked;
    if (S_ISLNK(status.st_mode)) {
        if ((openError_ = walkPath(name, walked, folder, shown))) return;
        if (::fstatat(walked.folder.get(), walked.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) !=
            0) {
            openError_ = lastSystemError();
            return;
        }
        folder = walked.folder.get();
    }
    if (!S_ISREG(status.st_mode)) return;
    const std::string& last = walked.folder.valid() ? walked.name : name;
    const int descriptor =
        ::openat(folder, last.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        openError_ = lastSystemError();
        return;
    }
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return;
    }
    descriptor_ = descriptor;
    size_ = static_cast<std::uint64_t>(status.st_size);
}

RegularFile::~RegularFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::ptrdiff_t RegularFile::read(std::span<std::uint8_t> buffer) {
    for (;;) {
        const ssize_t got = ::read(descriptor_, buffer.data(), buffer.size());
        if (got >= 0 || errno != EINTR) return got;
    }
}

std::uint64_t RegularFile::dataFrom(std::uint64_t offset) {
    const off_t position = ::lseek(descriptor_, 0, SEEK_CUR);
    const off_t data = ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_DATA);
    const int error = errno;
    (void)::lseek(descriptor_, position, SEEK_SET);  // SEEK_DATA moved it
    if (data >= 0) return static_cast<std::uint64_t>(data);
    if (error != ENXIO) return offset;
    // ENXIO: a hole up to the end, or nothing at all where the file has shrunk meanwhile.
    struct stat status {};
    const bool shrunk =
        ::fstat(descriptor_, &status) == 0 && static_cast<std::uint64_t>(status.st_size) <= offset;
    return shrunk ? offset : size_;
}

std::uint64_t RegularFile::holeFrom(std::uint64_t offset) {
    const off_t position = ::lseek(descriptor_, 0, SEEK_CUR);
    const off_t hole = ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_HOLE);
    (void)::lseek(descriptor_, position, SEEK_SET);  // SEEK_HOLE moved it
    return hole >= 0 && static_cast<std::uint64_t>(hole) < size_ ? static_cast<std::uint64_t>(hole)
                                                                 : size_;
}

bool RegularFile::seek(std::uint64_t offset) {
    return ::lseek(descriptor_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::optional<std::string> readSmallFile(const std::filesystem::path& path) {
    RegularFile file(path);
    if (!file.isOpen()) return std::nullopt;
    std::string text;
    std::uint8_t chunk[8192];
    while (text.size() < kLargestSmallFile) {
        const std::ptrdiff_t got = file.read(chunk);
        if (got < 0) return std::nullopt;
        if (got == 0) break;
        text.append(reinterpret_cast<const char*>(chunk), static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace platform
