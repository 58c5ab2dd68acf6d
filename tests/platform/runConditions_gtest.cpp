#include "platform/runConditions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "support/temporaryFolder.h"

namespace {

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

TEST(RunConditions, LoadAverageIsTheFirstFieldOrNothing) {
    EXPECT_EQ(platform::parseLoadAverage("1.25 0.58 0.59 1/467 12345\n"), 1.25);
    EXPECT_EQ(platform::parseLoadAverage(""), std::nullopt);
    EXPECT_EQ(platform::parseLoadAverage("load"), std::nullopt);
    EXPECT_EQ(platform::oneMinuteLoadAverage("/nonexistent"), std::nullopt);
}

TEST(RunConditions, GovernorsAreListedOnceEachOnlyForProcessorFoldersAndNeverWaitedOn) {
    TemporaryFolder folder;
    const std::filesystem::path root = folder.path();
    writeFile(root / "cpu0/cpufreq/scaling_governor", "powersave\n");
    writeFile(root / "cpu1/cpufreq/scaling_governor", "performance\n");
    writeFile(root / "cpu2/cpufreq/scaling_governor", "powersave\n");
    writeFile(root / "cpufreq/scaling_governor", "ondemand\n");
    std::filesystem::create_directories(root / "cpu3");
    std::filesystem::create_directories(root / "cpu4/cpufreq");
    ASSERT_EQ(mkfifo((root / "cpu4/cpufreq/scaling_governor").c_str(), 0600), 0);  // not waited on
    EXPECT_EQ(platform::frequencyGovernors(root.string()),
              (std::vector<std::string>{"powersave", "performance"}));
    EXPECT_TRUE(platform::frequencyGovernors("/nonexistent").empty());
}

}  // namespace
