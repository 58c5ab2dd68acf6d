#pragma once
// Running part of a test as an unprivileged user, as another user of a shared folder would act.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

inline constexpr uid_t kNobody = 65534;

inline bool isRoot() { return geteuid() == 0; }

// Runs `check` as nobody (in a child process) when the test runs as root, since root may write
// anywhere; the child's answer comes back as its exit status.
inline bool runUnprivileged(const std::function<bool()>& check) {
    if (!isRoot()) return check();
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgid(kNobody) == 0 && setuid(kNobody) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
