// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/replacementRefusal.h"

#include <string>

namespace platform {

namespace {

constexpr const char* kInPlaceLimit =
    "only contents no shorter than the old and of at most one page are written in place";

class ReplacementCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "replacement"; }
    std::string message(int value) const override {
        switch (static_cast<ReplacementRefusal>(value)) {
            case ReplacementRefusal::KernelFileSystem:
                return "it lies on /proc, /sys or another of the kernel's own file systems, "
                       "which hold no saved files";
            case ReplacementRefusal::StickyFolder:
                return "the folder is sticky, so only the file's owner or the folder's owner may "
                       "replace the file, and the file is not writable";
            case ReplacementRefusal::StickyFolderWouldTear:
                return std::string(
                           "the folder is sticky, so only the file's owner or the "
                           "folder's owner may replace the file, and writing it in place "
                           "could leave it torn (") +
                       kInPlaceLimit + ")";
            case ReplacementRefusal::NoNewFileWouldTear:
                return std::string(
                           "the folder takes no new file, and writing the file in place "
                           "could leave it torn (") +
                       kInPlaceLimit + ")";
            case ReplacementRefusal::AnotherUsersLink:
                return "a symbolic link on its way belongs to another user, and a file is never "
                       "written through a link of anyone but the user writing and root";
        }
        return "cannot replace the file";
    }
};

}  // namespace

const std::error_category& replacementCategory() {
    static const ReplacementCategory category;
    return category;
}

}  // namespace platform
