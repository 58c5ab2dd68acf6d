#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Why a file cannot be replaced where the system's own reason would not say it: std::error_code
// values of a category of their own, compared as `error == ReplacementRefusal::StickyFolder`.

#include <system_error>
#include <type_traits>

namespace platform {

enum class ReplacementRefusal {
    // The target lies on /proc, /sys or another of the kernel's own file systems.
    KernelFileSystem = 1,
    // A sticky folder lets only the file's owner or its own owner replace the file, and the file
    // cannot be written in place.
    StickyFolder,
    // As StickyFolder, where the file could be written but not without risk of tearing it.
    StickyFolderWouldTear,
    // The folder takes no new file, and the file could be written but not without risk of
    // tearing it.
    NoNewFileWouldTear,
    // The target, or a folder on its way, is a symbolic link of a user other than the one writing
    // and root (see LinkRule::Write).
    AnotherUsersLink,
};

const std::error_category& replacementCategory();

inline std::error_code make_error_code(ReplacementRefusal refusal) {
    return {static_cast<int>(refusal), replacementCategory()};
}

}  // namespace platform

template <>
struct std::is_error_code_enum<platform::ReplacementRefusal> : std::true_type {};
