#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The lock one benchmark run holds on the machine, so that two runs (of either program) never
// time their kernels at once and skew each other. It is an abstract Unix socket name: nothing in
// the file system that another user could plant a link at or leave behind, and the kernel frees
// the name however the holder ends. Any user's run can hold it; one that binds the name first
// keeps the others waiting, which is the point.

#include <string>
#include <string_view>

namespace platform {

class MachineLock {
  public:
    MachineLock() = default;  // not held
    ~MachineLock();
    MachineLock(MachineLock&& other) noexcept;
    MachineLock& operator=(MachineLock&& other) noexcept;
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    bool held() const { return socket_ >= 0; }

    // One attempt at the lock named `name`. When another process holds it, the result is not
    // held and `busy` is true. When the system offers no such socket at all, it is neither: a
    // run then goes on unlocked rather than never.
    static MachineLock tryTake(std::string_view name, bool& busy);

    // The process id of the one holding the lock named `name`; 0 when none does or it cannot
    // be learnt. Asks once, without waiting.
    static int holder(std::string_view name);

  private:
    explicit MachineLock(int socket) : socket_(socket) {}
    int socket_ = -1;
};

// The lock's name: "korvex2-run", or the environment's KORVEX2_RUN_LOCK when set, so that
// copies of the program that must run side by side (the tests) can.
std::string machineLockName();

}  // namespace platform
