#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The lock one benchmark run holds on the machine, so that two runs (of either program) never
// time their kernels at once and skew each other. It is an abstract Unix socket name: nothing in
// the file system that another user could plant a link at or leave behind, and the kernel frees
// the name however the holder ends. Any user may bind any such name, so a name alone proves
// nothing: who holds it is asked of the holder's own credentials (SO_PEERCRED, which the kernel
// fills in, however little of /proc the asker may read), or of the kernel's socket table where
// the holder does not listen. What a run does about another user's lock is the run's choice.
// Root's runs, which may go past other users' names, exclude each other besides by a lock no
// other user can take: an exclusive flock on a file of root's alone (rootLockFile).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Who holds a lock, as far as the system tells.
struct LockHolder {
    // The user whose process bound the name: from its credentials, or from the kernel's socket
    // table where it does not listen. Empty when neither tells (or none holds it).
    std::optional<unsigned> user;
    int process = 0;  // 0 where it does not listen, so cannot be asked
};

class MachineLock {
  public:
    MachineLock() = default;  // not held
    ~MachineLock();
    MachineLock(MachineLock&& other) noexcept;
    MachineLock& operator=(MachineLock&& other) noexcept;
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    bool held() const { return descriptor_ >= 0; }

    // One attempt at the lock named `name`. When another process holds it, the result is not
    // held and `busy` is true. When the system offers no such socket at all, it is neither: a
    // run then goes on unlocked rather than never.
    static MachineLock tryTake(std::string_view name, bool& busy);

    // Who holds the lock named `name`: nothing known when none does. Asks once, without waiting.
    static LockHolder holder(std::string_view name);

    // One attempt at an exclusive flock on `file`, made (0600) where missing. Busy as tryTake.
    // Only a regular file of the calling user's that no other user may open counts, so nobody
    // else can hold it: a link at the name (never followed), or a file another user may open or
    // owns, is no lock (neither held nor busy).
    static MachineLock tryTakeFile(const std::filesystem::path& file, bool& busy);

  private:
    explicit MachineLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;  // the bound socket or the locked file
};

// The process's effective user.
unsigned currentUser();

// The account name of user `user`, or its number where it has none.
std::string userName(unsigned user);

// The lock's name: "korvex2-run", or the environment's KORVEX2_RUN_LOCK when set, so that
// copies of the program that must run side by side (the tests) can.
std::string machineLockName();

// The lock of the runs of user `user` alone: the lock's name, "-" and the user's number.
std::string userLockName(unsigned user);

// The file of root's runs' lock: /run/korvex2/ (made, root's alone, where missing), the lock's
// name ("/" in it as "_") and ".lock"; /run/korvex2/korvex2-run.lock by default.
std::filesystem::path rootLockFile();

}  // namespace platform
