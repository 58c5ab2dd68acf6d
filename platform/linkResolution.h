#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// Walking a path one name at a time from a folder held open, following symbolic links only where
// the kernel's protected_symlinks rule would. In a sticky folder that everyone may write (/tmp, a
// shared result folder), anyone can plant a link, or swap a folder of theirs for one between two
// looks at it; the kernel follows such a link only when it belongs to the folder's owner or to
// the user looking it up, so a planted link cannot steer another user's write to a file of their
// own. Code that resolves links itself applies the same rule, whatever the system's setting, and
// a write follows only the links of the user writing and of root (LinkRule::Write).

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/descriptor.h"

namespace platform {

// Which links a walk follows.
enum class LinkRule {
    // The kernel's protected_symlinks rule: in a sticky folder that everyone may write, only a
    // link of the folder's owner or of the user looking it up; elsewhere every link.
    Kernel,
    // For a write, the kernel's rule and, in every folder, only a link of the user writing or of
    // root: a link another user made in a folder of their own would otherwise steer the write
    // (root's above all) to a file that user could not write. The kernel allows that; a saving
    // program need not.
    Write,
};

// Where a path leads: the folder that holds its last name, held open, and that name.
struct WalkedPath {
    Descriptor folder;  // opened with O_PATH: a base for the *at calls, fstat, fstatfs
    // The last name, which was no link when it was looked at; it need not exist (a dangling link
    // names the file to create). "." when the path names a folder itself ("/", "a/.", "a/..").
    std::string name;
    // The absolute name with no link in it, for messages and for telling files apart; the walk
    // itself never looks a name up through it, so it may be longer than the system's limit.
    std::filesystem::path shown;
};

// Walks `path` from the folder `start` (AT_FDCWD: the current folder), whose absolute name is
// `startShown` (empty: the current folder's). Each folder on the way is opened relative to the one
// before with O_NOFOLLOW | O_DIRECTORY, so no name is looked up twice and a folder swapped for a
// link meanwhile is never entered through it; each link met, the last name's included, is read
// relative to its folder and followed only where the rule allows. The result is in `walked`.
// EACCES for a link the kernel's rule refuses, ReplacementRefusal::AnotherUsersLink for one only
// LinkRule::Write refuses, ELOOP after 40 links, otherwise the system's reason (a missing folder
// on the way, a name over 255 bytes).
[[nodiscard]] std::error_code walkPath(const std::filesystem::path& path, WalkedPath& walked,
                                       int start = AT_FDCWD,
                                       const std::filesystem::path& startShown = {},
                                       LinkRule rule = LinkRule::Kernel);

// Opens the folder a walk ended in (`name` "." or a folder's name) for reading, with O_NOFOLLOW
// on the last step; the system's reason when it cannot (ENOTDIR for anything but a folder).
[[nodiscard]] std::error_code openWalkedFolder(const WalkedPath& walked, Descriptor& folder);

}  // namespace platform
