// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/machineLock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace platform {

namespace {

// The abstract address of `name` (a leading NUL, the name cut to fit) and its length.
socklen_t abstractAddress(std::string_view name, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    const std::size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

// Connections of waiting runs that asked who holds the lock stay queued, never accepted; a full
// queue only makes a later asker's answer unknown, since it asks without waiting.
constexpr int kBacklog = 64;

}  // namespace

int MachineLock::holder(std::string_view name) {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name, address);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (probe < 0) return 0;
    int process = 0;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::connect(probe, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::getsockopt(probe, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0)
        process = credentials.pid;
    ::close(probe);
    return process;
}

MachineLock::~MachineLock() {
    if (socket_ >= 0) ::close(socket_);
}

MachineLock::MachineLock(MachineLock&& other) noexcept
    : socket_(std::exchange(other.socket_, -1)) {}

MachineLock& MachineLock::operator=(MachineLock&& other) noexcept {
    if (this != &other) {
        if (socket_ >= 0) ::close(socket_);
        socket_ = std::exchange(other.socket_, -1);
    }
    return *this;
}

MachineLock MachineLock::tryTake(std::string_view name, bool& busy) {
    busy = false;
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name, address);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return MachineLock();
    // Listening lets a waiting run ask who holds the name (SO_PEERCRED); nobody is accepted.
    if (::bind(socket, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(socket, kBacklog) == 0)
        return MachineLock(socket);
    busy = errno == EADDRINUSE;
    ::close(socket);
    return MachineLock();
}

std::string machineLockName() {
    const char* name = std::getenv("KORVEX2_RUN_LOCK");
    return name != nullptr && *name != '\0' ? name : "korvex2-run";
}

}  // namespace platform
