#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The system's reason for a failed call, as the std::error_code the platform's callers take.

#include <cerrno>
#include <system_error>

namespace platform {

// errno as an error code whose message is strerror's. Call it right after the failed call: any
// later call may change errno.
inline std::error_code lastSystemError() { return {errno, std::generic_category()}; }

}  // namespace platform
