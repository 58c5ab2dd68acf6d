// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/linkResolution.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/replacementRefusal.h"
#include "platform/systemError.h"

namespace platform {

namespace {

// As many links as the kernel follows in one path lookup (MAXSYMLINKS).
constexpr int kMaximumLinks = 40;

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// The kernel's rule: a link in a sticky folder that everyone may write is followed only when
// its owner is the folder's owner or the user following it. A write's rule adds that the link
// is the user's or root's, in any folder.
std::error_code mayFollow(int folder, const struct stat& link, LinkRule rule) {
    struct stat status {};
    if (::fstat(folder, &status) != 0) return lastSystemError();
    const uid_t user = ::geteuid();
    const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
    if (shared && link.st_uid != user && link.st_uid != status.st_uid)
        return std::make_error_code(std::errc::permission_denied);
    if (rule == LinkRule::Write && link.st_uid != user && link.st_uid != 0)
        return ReplacementRefusal::AnotherUsersLink;
    return {};
}

// Puts the names of `path` in front of the names still to walk (kept last name first).
void pushNames(const std::filesystem::path& path, std::vector<std::string>& pending) {
    std::vector<std::string> names;
    for (const std::filesystem::path& name : path) names.push_back(name.native());
    pending.insert(pending.end(), names.rbegin(), names.rend());
}

// The walk's state: the folder held, the name reached within it ("." for the folder itself),
// the names still to walk and the links followed so far.
class Walk {
  public:
    Walk(Descriptor folder, std::filesystem::path shown, LinkRule rule)
        : folder_(std::move(folder)), shown_(std::move(shown)), rule_(rule) {}

    std::error_code run(const std::filesystem::path& path) {
        pushNames(path, pending_);
        for (;;) {
            while (!pending_.empty()) {
                std::string next = std::move(pending_.back());
                pending_.pop_back();
                if (const std::error_code error = step(std::move(next))) return error;
            }
            if (name_ == ".") return {};
            struct stat status {};
            if (::fstatat(folder_.get(), name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
                return errno == ENOENT ? std::error_code() : lastSystemError();
            if (!S_ISLNK(status.st_mode)) return {};
            if (const std::error_code error = follow(status)) return error;
        }
    }

    void finish(WalkedPath& walked) {
        walked.shown = name_ == "." ? shown_ : shown_ / name_;
        walked.name = std::move(name_);
        walked.folder = std::move(folder_);
    }

  private:
    // Takes the next name of the path: the name reached so far must then be a folder to enter.
    std::error_code step(std::string next) {
        if (next == "/") {
            folder_ = Descriptor(::open("/", kFolderFlags));
            shown_ = "/";
            name_ = ".";
            return folder_.valid() ? std::error_code() : lastSystemError();
        }
        if (name_ != ".") {
            // Where name_ is a link, its names go in front of `next`.
            pending_.push_back(std::move(next));
            bool entered = false;
            if (const std::error_code error = enter(entered)) return error;
            if (!entered) return {};
            next = std::move(pending_.back());
            pending_.pop_back();
        }
        if (next == "..") {
            Descriptor parent(::openat(folder_.get(), "..", kFolderFlags));
            if (!parent.valid()) return lastSystemError();
            folder_ = std::move(parent);
            shown_ = shown_.parent_path();
        } else if (!next.empty() && next != ".") {
            name_ = std::move(next);
        }
        return {};
    }

    // Enters the folder name_ (`entered`), or, where it is a link, puts its names in front.
    std::error_code enter(bool& entered) {
        Descriptor inner(::openat(folder_.get(), name_.c_str(), kFolderFlags));
        if (inner.valid()) {
            folder_ = std::move(inner);
            shown_ /= name_;
            name_ = ".";
            entered = true;
            return {};
        }
        if (errno != ENOTDIR && errno != ELOOP) return lastSystemError();
        struct stat status {};
        if (::fstatat(folder_.get(), name_.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return lastSystemError();
        if (S_ISLNK(status.st_mode)) return follow(status);
        // A folder again (swapped back since the open): the next round opens it.
        if (S_ISDIR(status.st_mode)) return countLink();
        return std::make_error_code(std::errc::not_a_directory);
    }

    // Follows the link name_ of the folder held, as the rule allows.
    std::error_code follow(const struct stat& link) {
        if (const std::error_code error = countLink()) return error;
        if (const std::error_code refused = mayFollow(folder_.get(), link, rule_)) return refused;
        // The length the link reports is only a first guess: links of /proc report 0, and the
        // link may have been replaced by a longer one since it was looked at.
        std::string target(static_cast<std::size_t>(link.st_size) + 256, '\0');
        for (;;) {
            const ssize_t length =
                ::readlinkat(folder_.get(), name_.c_str(), target.data(), target.size());
            if (length < 0) return lastSystemError();
            if (static_cast<std::size_t>(length) < target.size()) {
                target.resize(static_cast<std::size_t>(length));
                break;
            }
            target.resize(2 * target.size());
        }
        if (target.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
        name_ = ".";
        pushNames(target, pending_);
        return {};
    }

    std::error_code countLink() {
        return ++links_ > kMaximumLinks
                   ? std::make_error_code(std::errc::too_many_symbolic_link_levels)
                   : std::error_code();
    }

    Descriptor folder_;
    std::filesystem::path shown_;
    std::string name_ = ".";
    std::vector<std::string> pending_;
    LinkRule rule_;
    int links_ = 0;
};

}  // namespace

std::error_code walkPath(const std::filesystem::path& path, WalkedPath& walked, int start,
                         const std::filesystem::path& startShown, LinkRule rule) {
    if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    Descriptor folder(::openat(start, ".", kFolderFlags));
    if (!folder.valid()) return lastSystemError();
    std::filesystem::path shown = startShown;
    if (shown.empty()) {
        std::error_code error;
        shown = std::filesystem::current_path(error);
        if (error) shown = ".";
    }
    Walk walk(std::move(folder), std::move(shown), rule);
    if (const std::error_code error = walk.run(path)) return error;
    walk.finish(walked);
    return {};
}

std::error_code openWalkedFolder(const WalkedPath& walked, Descriptor& folder) {
    folder = Descriptor(::openat(walked.folder.get(), walked.name.c_str(),
                                 O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.valid()) return {};
    return errno == ELOOP ? std::make_error_code(std::errc::not_a_directory) : lastSystemError();
}

}  // namespace platform
