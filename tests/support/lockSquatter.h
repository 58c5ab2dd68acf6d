#pragma once
// A process of another user that binds an abstract socket name and keeps it, without listening,
// as a user holding the machine's lock hostage would.

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <string>

class LockSquatter {
  public:
    // Binds `name` in a child process running as `user` (the caller's own, or any user when the
    // caller is root); bound() says whether it could.
    LockSquatter(const std::string& name, uid_t user) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        child_ = ::fork();
        if (child_ == 0) {
            const bool dropped =
                user == ::geteuid() || (::setgid(user) == 0 && ::setuid(user) == 0);
            const char answer = dropped && bindAlone(name) ? 'y' : 'n';
            (void)!::write(ready[1], &answer, 1);
            ::pause();
            ::_exit(0);
        }
        char answer = 'n';
        bound_ = child_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockSquatter() {
        if (child_ <= 0) return;
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
    }
    LockSquatter(const LockSquatter&) = delete;
    LockSquatter& operator=(const LockSquatter&) = delete;

    bool bound() const { return bound_; }

  private:
    static bool bindAlone(const std::string& name) {
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        name.copy(address.sun_path + 1, name.size());
        const auto length =
            static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    }

    pid_t child_ = -1;
    bool bound_ = false;
};
