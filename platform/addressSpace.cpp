// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/addressSpace.h"

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <string>

#include "platform/regularFile.h"

namespace platform {

std::optional<std::uint64_t> addressSpaceLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return std::nullopt;
    // The first figure of statm: the pages mapped.
    const std::optional<std::string> statm = readSmallFile("/proc/self/statm");
    std::uint64_t pages = 0;
    if (!statm ||
        std::from_chars(statm->data(), statm->data() + statm->size(), pages).ec != std::errc())
        return std::nullopt;
    const std::uint64_t mapped = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
}

}  // namespace platform
