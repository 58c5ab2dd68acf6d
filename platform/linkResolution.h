#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Following symbolic links only where the kernel's protected_symlinks rule would. In a sticky
// folder that everyone may write (/tmp, a shared result folder), anyone can plant a link; the
// kernel follows such a link only when it belongs to the folder's owner or to the user looking
// it up, so a planted link cannot steer another user's write to a file of their own. Code that
// resolves links itself applies the same rule, whatever the system's setting.

#include <filesystem>
#include <system_error>

namespace platform {

// Resolves every symbolic link in `path` (relative to the current folder) under that rule and
// leaves in `path` the absolute name with no link in it. The last name need not exist (a
// dangling link names the file to create). EACCES for a link the rule refuses, ELOOP after 40
// links, otherwise the system's reason (a missing folder on the way, say).
[[nodiscard]] std::error_code resolveLinks(std::filesystem::path& path);

}  // namespace platform
