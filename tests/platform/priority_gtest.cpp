#include "platform/priority.h"

#include <gtest/gtest.h>

namespace {

bool samePriority(const platform::PriorityState& a, const platform::PriorityState& b) {
    return a.niceValue == b.niceValue && a.schedulingPolicy == b.schedulingPolicy &&
           a.schedulingPriority == b.schedulingPriority;
}

TEST(Priority, RestoreReturnsTheThreadExactlyToWhatWasSaved) {
    const platform::PriorityState before = platform::savePriority();
    platform::raisePriority();
    platform::restorePriority(before);
    EXPECT_TRUE(samePriority(platform::savePriority(), before));
}

TEST(Priority, RestoringWithoutRaisingChangesNothing) {
    const platform::PriorityState before = platform::savePriority();
    platform::restorePriority(before);
    EXPECT_TRUE(samePriority(platform::savePriority(), before));
}

}  // namespace
