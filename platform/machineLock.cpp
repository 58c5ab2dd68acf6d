// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/machineLock.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/descriptor.h"

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

// The user whose socket is bound to the abstract name `name`, from the kernel's table of Unix
// sockets (sock_diag, with each socket's owner since Linux 5.3): a name bound without listening
// cannot be asked for its credentials.
std::optional<unsigned> boundBy(std::string_view name) {
    const Descriptor table(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (!table.valid()) return std::nullopt;
    struct {
        nlmsghdr header;
        unix_diag_req request;
    } ask{};
    ask.header.nlmsg_len = sizeof ask;
    ask.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    ask.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    ask.request.sdiag_family = AF_UNIX;
    ask.request.udiag_states = ~0u;
    ask.request.udiag_show = UDIAG_SHOW_NAME | UDIAG_SHOW_UID;
    if (::send(table.get(), &ask, sizeof ask, 0) != static_cast<ssize_t>(sizeof ask))
        return std::nullopt;
    const std::string wanted = std::string(1, '\0') + std::string(name.substr(0, 107));
    std::vector<char> buffer(32768);
    for (;;) {
        ssize_t length = ::recv(table.get(), buffer.data(), buffer.size(), 0);
        if (length <= 0) return std::nullopt;
        for (auto* message = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(message, length);
             message = NLMSG_NEXT(message, length)) {
            if (message->nlmsg_type == NLMSG_DONE || message->nlmsg_type == NLMSG_ERROR)
                return std::nullopt;
            const auto* socket = static_cast<const unix_diag_msg*>(NLMSG_DATA(message));
            auto attributesLength =
                static_cast<int>(message->nlmsg_len - NLMSG_LENGTH(sizeof *socket));
            std::string_view bound;
            std::optional<unsigned> user;
            for (auto* attribute =
                     reinterpret_cast<rtattr*>(const_cast<unix_diag_msg*>(socket) + 1);
                 RTA_OK(attribute, attributesLength);
                 attribute = RTA_NEXT(attribute, attributesLength)) {
                const auto* data = static_cast<const char*>(RTA_DATA(attribute));
                if (attribute->rta_type == UNIX_DIAG_NAME)
                    bound = std::string_view(data, RTA_PAYLOAD(attribute));
                else if (attribute->rta_type == UNIX_DIAG_UID &&
                         RTA_PAYLOAD(attribute) >= sizeof(std::uint32_t)) {
                    std::uint32_t owner = 0;
                    std::memcpy(&owner, data, sizeof owner);
                    user = owner;
                }
            }
            if (bound == wanted && user) return user;
        }
    }
}

}  // namespace

LockHolder MachineLock::holder(std::string_view name) {
    sockaddr_un address{};
    const socklen_t length = abstractAddress(name, address);
    const Descriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    LockHolder holder;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (probe.valid() &&
        ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::getsockopt(probe.get(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0) {
        holder.user = credentials.uid;
        holder.process = credentials.pid;
    } else {
        holder.user = boundBy(name);
    }
    return holder;
}

MachineLock::~MachineLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

MachineLock::MachineLock(MachineLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

MachineLock& MachineLock::operator=(MachineLock&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
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

MachineLock MachineLock::tryTakeFile(const std::filesystem::path& file, bool& busy) {
    busy = false;
    const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) return MachineLock();
    MachineLock lock(descriptor);  // closed on every way out but the taking
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_uid != ::geteuid() || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return MachineLock();
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) return lock;
    busy = errno == EWOULDBLOCK;
    return MachineLock();
}

std::string userName(unsigned user) {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(user);
}

std::string machineLockName() {
    const char* name = std::getenv("KORVEX2_RUN_LOCK");
    return name != nullptr && *name != '\0' ? name : "korvex2-run";
}

unsigned currentUser() { return ::geteuid(); }

std::string userLockName(unsigned user) { return machineLockName() + "-" + std::to_string(user); }

std::filesystem::path rootLockFile() {
    const std::filesystem::path folder = "/run/korvex2";
    ::mkdir(folder.c_str(), 0700);
    std::string name = machineLockName();
    std::replace(name.begin(), name.end(), '/', '_');
    return folder / (name + ".lock");
}

}  // namespace platform
