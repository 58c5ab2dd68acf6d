#include "platform/machineLock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "support/lockSquatter.h"
#include "support/unprivileged.h"

namespace {

// A name of this test process's own, so that no real run is disturbed.
std::string testLockName() { return "korvex2-lock-test-" + std::to_string(::getpid()); }

TEST(MachineLock, ASecondTakerIsRefusedAndLearnsTheHolderUntilItIsReleased) {
    const std::string name = testLockName();
    bool busy = true;
    platform::MachineLock first = platform::MachineLock::tryTake(name, busy);
    ASSERT_TRUE(first.held());
    EXPECT_FALSE(busy);

    platform::MachineLock second = platform::MachineLock::tryTake(name, busy);
    EXPECT_FALSE(second.held());
    EXPECT_TRUE(busy);
    const platform::LockHolder holder = platform::MachineLock::holder(name);
    EXPECT_EQ(holder.process, ::getpid());
    EXPECT_EQ(holder.user, ::geteuid());

    // Moving keeps it held; only the end of its last owner frees the name.
    platform::MachineLock moved = std::move(first);
    EXPECT_FALSE(platform::MachineLock::tryTake(name, busy).held());
    moved = platform::MachineLock();
    EXPECT_EQ(platform::MachineLock::holder(name).process, 0);
    EXPECT_FALSE(platform::MachineLock::holder(name).user);
    EXPECT_TRUE(platform::MachineLock::tryTake(name, busy).held());
    EXPECT_FALSE(busy);
}

// A name bound without listening cannot be asked for its credentials: the kernel's socket
// table still names its user, as it does for another user's process whose /proc it cannot read.
TEST(MachineLock, ANameBoundWithoutListeningIsStillNamedByItsUser) {
    const std::string name = testLockName() + "-bound";
    for (const uid_t user : {::geteuid(), kNobody}) {
        if (user != ::geteuid() && !isRoot()) continue;
        const LockSquatter squatter(name, user);
        ASSERT_TRUE(squatter.bound()) << user;
        const platform::LockHolder holder = platform::MachineLock::holder(name);
        EXPECT_EQ(holder.user, user);
        EXPECT_EQ(holder.process, 0) << user;
    }
}

TEST(MachineLock, NameComesFromTheEnvironmentWhenSet) {
    const char* saved = std::getenv("KORVEX2_RUN_LOCK");
    const std::string restore = saved != nullptr ? saved : "";
    ::unsetenv("KORVEX2_RUN_LOCK");
    EXPECT_EQ(platform::machineLockName(), "korvex2-run");
    ::setenv("KORVEX2_RUN_LOCK", "copy-7", 1);
    EXPECT_EQ(platform::machineLockName(), "copy-7");
    EXPECT_EQ(platform::userLockName(1000), "copy-7-1000");
    if (saved != nullptr)
        ::setenv("KORVEX2_RUN_LOCK", restore.c_str(), 1);
    else
        ::unsetenv("KORVEX2_RUN_LOCK");
}

}  // namespace
