#include "testrun/consoleOutputUnit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "results/temporaryFolder.h"

namespace {

struct Parsed {
    int status;
    ConsoleOptions options;
    std::string out, err;
};

Parsed parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "korvex2-console");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    Parsed parsed{};
    std::ostringstream out, err;
    parsed.status =
        parseConsoleOptions(static_cast<int>(argv.size()), argv.data(), parsed.options, out, err);
    parsed.out = out.str();
    parsed.err = err.str();
    return parsed;
}

TEST(ConsoleOptions, StatusOfEachCommandLine) {
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"--json", "-"}, -1}, {{"--cpu", "X", "--json", "run.json"}, -1},
        {{"--cpu", "X"}, 2},   {{"--json"}, 2},
        {{"--json", ""}, 2},   {{"--version"}, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse(c.arguments).status, c.status) << c.arguments.front();
}

TEST(ConsoleOutput, ClockRateIsReadFromTheClockLineOnly) {
    EXPECT_EQ(clockRateFromLine("Тактовая частота: 2245MHz"), 2245u);
    EXPECT_EQ(clockRateFromLine("Тактовая частота: MHz"), std::nullopt);
    EXPECT_EQ(clockRateFromLine("Тактовая частота: 22x5MHz"), std::nullopt);
    EXPECT_EQ(clockRateFromLine("101 млн. тактов"), std::nullopt);
}

TEST(ConsoleOutput, LinesNotGivenComeFromTheMachine) {
    ConsoleOptions options;
    options.descriptions[0] = "Athlon";
    options.descriptions[3] = "";
    const platform::MachineDescription machine{"AMD EPYC", "100 МГц", "24 ГБ", "Debian"};
    EXPECT_EQ(runDescriptions(options, machine),
              (std::array<std::string, 4>{"Athlon", "100 МГц", "24 ГБ", ""}));
}

TEST(ConsoleOutput, EarlyCheckNamesTheFolderAndTheReason) {
    TemporaryFolder folder;
    ConsoleOptions options;
    std::ostringstream err;
    options.jsonFile = "-";
    options.saveFile = (folder / "x.dat").string();
    EXPECT_TRUE(checkOutputFolders(options, err));
    options.saveFile = (folder / "missing/x.dat").string();
    EXPECT_FALSE(checkOutputFolders(options, err));
    EXPECT_EQ(err.str(), "korvex2-console: cannot write " + *options.saveFile + ": folder " +
                             (folder / "missing").string() + ": No such file or directory\n");
}

TEST(ConsoleOutput, SaveSaysWhereItWentOrWhyNot) {
    TemporaryFolder folder;
    const ResultTable results{};
    const std::array<std::string, 4> lines{"a", "b", "c", "d"};
    std::ostringstream report, err;
    EXPECT_TRUE(saveConsoleResults((folder / "me.dat").string(), lines, results, report, err));
    EXPECT_EQ(report.str(), "Results saved to " + (folder / "me.dat").string() + "\n");
    EXPECT_EQ(readBytes(folder / "me.dat").size(), 1316u);

    std::filesystem::create_directory(folder / "taken.dat");
    report.str("");
    EXPECT_FALSE(saveConsoleResults((folder / "taken.dat").string(), lines, results, report, err));
    EXPECT_EQ(report.str(), "");
    EXPECT_EQ(err.str(),
              "Ошибка записи: " + (folder / "taken.dat").string() + ": Is a directory\n");
}

TEST(ConsoleOutput, JsonOnAFullDiskIsAWriteError) {
    std::ostringstream report, err;
    EXPECT_FALSE(writeConsoleJson("/dev/full", "{}", report, err));
    EXPECT_EQ(err.str(), "Ошибка записи: /dev/full: No space left on device\n");
    EXPECT_EQ(report.str(), "");

    TemporaryFolder folder;
    EXPECT_TRUE(writeConsoleJson((folder / "run.json").string(), "{}", report, err));
    const std::vector<std::uint8_t> written = readBytes(folder / "run.json");
    EXPECT_EQ(std::string(written.begin(), written.end()), "{}\n");
    EXPECT_EQ(report.str(), "JSON written to " + (folder / "run.json").string() + "\n");
}

}  // namespace
