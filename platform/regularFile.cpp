// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/regularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/linkResolution.h"
#include "platform/systemError.h"

namespace platform {

namespace {

// Far more than any small file holds; a runaway file is cut here rather than read whole.
constexpr std::size_t kLargestSmallFile = 4u << 20;

}  // namespace

RegularFile::RegularFile(const std::filesystem::path& path, LinkFreeFolder folder) {
    // The name is looked at first, so a device is not even opened; what is opened is checked
    // again, since the name may have been replaced in between. O_NONBLOCK keeps a FIFO put there
    // meanwhile from blocking the open.
    // The links are resolved first, so that what is opened has none left to follow. In a folder
    // known to be free of them only the name itself can be one: one look instead of one per
    // folder on the way, which a folder of 100,000 files would pay 100,000 times.
    std::filesystem::path file = path;
    struct stat status {};
    const bool direct = folder == LinkFreeFolder::Yes && ::lstat(path.c_str(), &status) == 0 &&
                        !S_ISLNK(status.st_mode);
    if (!direct) {
        if ((openError_ = resolveLinks(file))) return;
        if (::lstat(file.c_str(), &status) != 0) {
            openError_ = lastSystemError();
            return;
        }
    }
    if (!S_ISREG(status.st_mode)) return;
    const int descriptor =
        ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
