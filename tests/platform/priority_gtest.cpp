#include "platform/priority.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <filesystem>
#include <fstream>

#include "support/temporaryFolder.h"

namespace {

// A /proc of its own whose sched_rt_runtime_us holds `text`.
class FakeProc {
  public:
    explicit FakeProc(const std::string& text) {
        std::filesystem::create_directories(folder_ / "sys/kernel");
        std::ofstream(folder_ / "sys/kernel/sched_rt_runtime_us") << text;
    }
    std::string root() const { return folder_.path().string(); }

  private:
    TemporaryFolder folder_;
};

bool samePriority(const platform::PriorityState& a, const platform::PriorityState& b) {
    return a.niceValue == b.niceValue && a.schedulingPolicy == b.schedulingPolicy &&
           a.schedulingPriority == b.schedulingPriority;
}

TEST(Priority, RestoreReturnsTheThreadExactlyToWhatWasSaved) {
    const platform::PriorityState before = platform::savePriority();
    static_cast<void>(platform::raisePriority());  // granted or not, the restore undoes it
    platform::restorePriority(before);
    EXPECT_TRUE(samePriority(platform::savePriority(), before));
}

TEST(Priority, RestoringWithoutRaisingChangesNothing) {
    const platform::PriorityState before = platform::savePriority();
    platform::restorePriority(before);
    EXPECT_TRUE(samePriority(platform::savePriority(), before));
}

TEST(Priority, RealTimeCountsAsUnthrottledOnlyForMinusOne) {
    EXPECT_TRUE(platform::realTimeUnthrottled(FakeProc("-1\n").root()));
    for (const char* text : {"950000\n", "0\n", "", "-1x", "unlimited\n"})
        EXPECT_FALSE(platform::realTimeUnthrottled(FakeProc(text).root())) << text;
    EXPECT_FALSE(platform::realTimeUnthrottled("/nonexistent"));
}

// Raising needs the privilege to lower the nice value; without it the decision is not visible.
TEST(Priority, RaisingChoosesRealTimeOnlyWhereItIsNotThrottled) {
    const platform::PriorityState before = platform::savePriority();
    const struct {
        const char* runtime;
        int policy;
    } cases[] = {{"950000\n", SCHED_OTHER}, {"-1\n", SCHED_FIFO}};
    for (const auto& expected : cases) {
        if (!platform::raisePriority(FakeProc(expected.runtime).root())) {
            platform::restorePriority(before);
            GTEST_SKIP() << "raising the priority is not permitted here";
        }
        const platform::PriorityState raised = platform::savePriority();
        platform::restorePriority(before);
        EXPECT_EQ(raised.niceValue, -20) << expected.runtime;
        EXPECT_EQ(raised.schedulingPolicy, expected.policy) << expected.runtime;
        EXPECT_TRUE(samePriority(platform::savePriority(), before)) << expected.runtime;
    }
}

}  // namespace
