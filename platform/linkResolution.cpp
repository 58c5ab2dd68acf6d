// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/linkResolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/systemError.h"

namespace platform {

namespace {

// As many links as the kernel follows in one path lookup (MAXSYMLINKS).
constexpr int kMaximumLinks = 40;

// The kernel's rule: a link in a sticky folder that everyone may write is followed only when
// its owner is the folder's owner or the user following it.
std::error_code mayFollow(const std::filesystem::path& folder, const struct stat& link) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return lastSystemError();
    const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    if (!shared || link.st_uid == ::geteuid() || link.st_uid == status.st_uid) return {};
    return std::make_error_code(std::errc::permission_denied);
}

// Puts the names of `path` in front of the names still to walk (kept last name first).
void pushNames(const std::filesystem::path& path, std::vector<std::string>& pending) {
    std::vector<std::string> names;
    for (const std::filesystem::path& name : path) names.push_back(name.native());
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

}  // namespace

std::error_code resolveLinks(std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return error;
    std::vector<std::string> pending;
    pushNames(absolute, pending);
    std::filesystem::path walked = "/";
    int links = 0;
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        if (name == "/") walked = "/";
        if (name.empty() || name == "/" || name == ".") continue;
        if (name == "..") {
            walked = walked.parent_path();
            continue;
        }
        const std::filesystem::path next = walked / name;
        struct stat status {};
        if (::lstat(next.c_str(), &status) != 0) {
            if (errno != ENOENT || !pending.empty()) return lastSystemError();
            walked = next;  // the file to be created
            break;
        }
        if (!S_ISLNK(status.st_mode)) {
            walked = next;
            continue;
        }
        if (++links > kMaximumLinks)
            return std::make_error_code(std::errc::too_many_symbolic_link_levels);
        if (const std::error_code refused = mayFollow(walked, status)) return refused;
        const std::filesystem::path target = std::filesystem::read_symlink(next, error);
        if (error) return error;
        pushNames(target, pending);
    }
    path = walked;
    return {};
}

}  // namespace platform
