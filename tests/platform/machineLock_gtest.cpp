#include "platform/machineLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>

#include "support/lockSquatter.h"
#include "support/temporaryFolder.h"
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

// Root's lock counts only on a file no other user can open, so nobody else can hold it: a link
// at its name is never followed, and a file others may open or own is no lock at all (neither
// held nor busy); a fresh one is made private and taken once.
TEST(MachineLock, AFileLockIsTakenOnlyOnAFileOfTheUsersAloneAndOnlyOnce) {
    const TemporaryFolder folder;
    const std::filesystem::path target = folder / "target";
    std::ofstream(target) << "kept";
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    const struct {
        const char* what;
        std::function<void(const std::filesystem::path&)> plant;
        bool held;
    } cases[] = {
        {"a fresh file", [](const std::filesystem::path&) {}, true},
        {"a file of ours",
         [](const std::filesystem::path& file) {
             std::ofstream{file};
             ::chmod(file.c_str(), 0600);
         },
         true},
        {"a link to a file of ours",
         [&](const std::filesystem::path& file) { std::filesystem::create_symlink(target, file); },
         false},
        {"a file others may read",
         [](const std::filesystem::path& file) {
             std::ofstream{file};
             ::chmod(file.c_str(), 0604);
         },
         false},
        {"a folder",
         [](const std::filesystem::path& file) { std::filesystem::create_directory(file); }, false},
        {"another user's file",
         [](const std::filesystem::path& file) {
             std::ofstream{file};
             ::chmod(file.c_str(), 0600);
             ASSERT_TRUE(!isRoot() || ::chown(file.c_str(), kNobody, kNobody) == 0);
         },
         !isRoot()},
    };
    for (const auto& c : cases) {
        const std::filesystem::path file = folder / c.what;
        c.plant(file);
        bool busy = true;
        const platform::MachineLock first = platform::MachineLock::tryTakeFile(file, busy);
        EXPECT_EQ(first.held(), c.held) << c.what;
        EXPECT_FALSE(busy) << c.what;
        EXPECT_EQ(platform::MachineLock::tryTakeFile(file, busy).held(), false) << c.what;
        EXPECT_EQ(busy, c.held) << c.what;
        if (c.held) {
            EXPECT_EQ(std::filesystem::status(file).permissions(),
                      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
                << c.what;
        }
    }
    std::ifstream kept(target);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept");
    EXPECT_EQ(std::filesystem::status(target).permissions(), std::filesystem::perms::owner_read);
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
