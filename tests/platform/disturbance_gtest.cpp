#include "platform/disturbance.h"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace {

TEST(Disturbance, RunQueueWaitIsTheSecondFieldOfSchedstat) {
    struct Case {
        std::string_view text;
        std::optional<std::uint64_t> expected;
    };
    const Case cases[] = {
        {"8012 324484 1\n", 324484}, {"0 0 0", 0}, {"8012", std::nullopt}, {"", std::nullopt},
        {"8012 x 1", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::parseScheduleWait(c.text), c.expected) << c.text;
}

TEST(Disturbance, StealIsTheEighthValueOfTheProcessorsOwnLine) {
    constexpr std::string_view kStat =
        "cpu  21800 10187 7579 13898 323 0 68 53 0 0\n"
        "cpu10 1 2 3 4 5 6 7 99 0 0\n"
        "cpu0 10500 5032 3355 8018 21 0 3 28 0 0\n"
        "cpu1 11300 5155 4224 5879 302 0 65 24 0 0\n"
        "cpu2 1 2 3\n"
        "intr 282292 0 0\n";
    struct Case {
        int processor;
        std::optional<std::uint64_t> expected;
    };
    const Case cases[] = {
        {0, 28}, {1, 24}, {10, 99}, {2, std::nullopt}, {3, std::nullopt}, {-1, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::parseStealTicks(kStat, c.processor), c.expected) << c.processor;
}

TEST(Disturbance, ReadingsOfThisThreadNameItsProcessorAndAdvance) {
    const platform::DisturbanceReading before = platform::readDisturbance();
    const platform::DisturbanceReading after = platform::readDisturbance();
    EXPECT_GE(before.processor, 0);
    EXPECT_GT(after.rawNanoseconds, before.rawNanoseconds);
    EXPECT_GE(after.waitNanoseconds, before.waitNanoseconds);
    EXPECT_GE(after.involuntarySwitches, before.involuntarySwitches);
}

}  // namespace
