#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// How much more the process may map before an allocation fails under its address-space limit
// (ulimit -v, prlimit --as).

#include <cstdint>
#include <optional>

namespace platform {

// The limit less what the process has mapped now; nothing when there is no limit (or it cannot
// be read).
std::optional<std::uint64_t> addressSpaceLeft();

}  // namespace platform
