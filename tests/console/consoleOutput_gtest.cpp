#include "console/consoleOutputUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>

#include "console/runFallbackUnit.h"
#include "engine/testTableUnit.h"
#include "platform/workerProcesses.h"
#include "support/failingWriter.h"
#include "support/temporaryFolder.h"

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
        {{"--json", "-"}, -1},
        {{"--cpu", "X", "--json", "run.json"}, -1},
        {{"--cpu", "X"}, 2},
        {{"--json"}, 2},
        {{"--json", ""}, 2},
        {{"--version"}, 0},
        // An option where a file belongs forgot the file; standard output takes no result file.
        {{"--compare", "--json", "--csv"}, 2},
        {{"--json", "--csv=x.csv"}, 2},
        {{"--cpus", "--compare"}, 2},
        {{"--save", "-"}, 2},
        {{"--save=-"}, 2},
        {{"--cpu", "--fsb", "--json", "r.json"}, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse(c.arguments).status, c.status) << c.arguments.front();
    EXPECT_TRUE(parse({"--json", "--csv", "x.csv"})
                    .err.starts_with("korvex2-console: --json needs FILE, not the option --csv\n"));
}

TEST(ConsoleOptions, OrderSeedIntervalAndHistory) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        TestOrder order;
        std::optional<std::uint64_t> seed;
        int interval;
        bool history;
    } cases[] = {
        {{}, -1, TestOrder::Rounds, std::nullopt, 0, true},
        {{"--seed", "5"}, -1, TestOrder::Rounds, 5u, 0, true},
        {{"--order=rounds", "--seed", "4294967295"}, -1, TestOrder::Rounds, 4294967295u, 0, true},
        {{"--order", "in-order"}, -1, TestOrder::InOrder, std::nullopt, 0, true},
        {{"--order", "shuffled"}, 2, TestOrder::InOrder, std::nullopt, 0, true},
        {{"--order", "in-order", "--seed", "5"}, 2, TestOrder::InOrder, 5u, 0, true},
        {{"--order", "rounds", "--seed", "4294967296"},
         2,
         TestOrder::Rounds,
         std::nullopt,
         0,
         true},
        {{"--order", "rounds", "--seed", "-1"}, 2, TestOrder::Rounds, std::nullopt, 0, true},
        {{"--repeat", "3", "--interval", "60"}, -1, TestOrder::Rounds, std::nullopt, 60, true},
        {{"--interval", "60"}, 2, TestOrder::InOrder, std::nullopt, 60, true},
        {{"--repeat", "2", "--interval", "0"}, 2, TestOrder::InOrder, std::nullopt, 0, true},
        {{"--repeat", "2", "--interval", "3601"}, 2, TestOrder::InOrder, std::nullopt, 0, true},
        {{"--no-history"}, -1, TestOrder::Rounds, std::nullopt, 0, false},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        const std::string what = c.arguments.empty() ? "none" : c.arguments.front();
        EXPECT_EQ(parsed.status, c.status) << what << ": " << parsed.err;
        if (c.status != -1) continue;
        EXPECT_EQ(parsed.options.sequence.order, c.order) << what;
        EXPECT_EQ(parsed.options.sequence.seed, c.seed) << what;
        EXPECT_EQ(parsed.options.intervalSeconds, c.interval) << what;
        EXPECT_EQ(parsed.options.keepHistory, c.history) << what;
    }
}

// Every option that takes a value takes it as the next argument or after '='.
TEST(ConsoleOptions, ValueFollowsTheOptionOrAnEqualsSign) {
    const struct {
        std::vector<std::string> arguments;
        std::optional<std::string> ConsoleOptions::*file;
        std::string value;
    } cases[] = {
        {{"--save=cpus/a.dat"}, &ConsoleOptions::saveFile, "cpus/a.dat"},
        {{"--json=-"}, &ConsoleOptions::jsonFile, "-"},
        {{"--csv=a=b.csv"}, &ConsoleOptions::csvFile, "a=b.csv"},
        {{"--csv", "--x=y"}, &ConsoleOptions::csvFile, "--x=y"},
        {{"--html", "-"}, &ConsoleOptions::htmlFile, "-"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_EQ(parsed.status, -1) << parsed.err;
        EXPECT_EQ(parsed.options.*c.file, c.value) << c.arguments.front();
    }
    const Parsed described = parse({"--json=-", "--cpus=fleet", "--os=", "--memory=24 ГБ"});
    EXPECT_EQ(described.options.resultFolders, std::vector<std::string>{"fleet"});
    EXPECT_EQ(described.options.descriptions[3], "");
    EXPECT_EQ(described.options.descriptions[2], "24 ГБ");
}

// A mistake prints its reason and one line naming --help, never the whole usage.
TEST(ConsoleOptions, MistakeNamesItsReasonAndHelp) {
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{"--sav=a.dat"}, "unknown option '--sav'"},
        {{"save"}, "unknown option 'save'"},
        {{"--save"}, "--save needs FILE"},
        {{"--save="}, "--save needs FILE"},
        {{"--cpus", ""}, "--cpus needs DIR"},
        {{"--no-pause=yes"}, "--no-pause takes no value"},
        {{"--help=all"}, "--help takes no value"},
        {{"--cpu=X"}, "--cpu needs --save, --json, --csv or --html"},
        {{"--html=-", "--csv", "-"},
         "only one of --json, --csv and --html can write to standard output"},
        {{"--repeat", "0"}, "--repeat needs a whole number from 1 to 100, not '0'"},
        {{"--repeat=101"}, "--repeat needs a whole number from 1 to 100, not '101'"},
        {{"--repeat", "3x"}, "--repeat needs a whole number from 1 to 100, not '3x'"},
        {{"--repeat", "x"}, "--repeat needs a whole number from 1 to 100, not 'x'"},
        {{"--unit=sec"}, "--unit needs ms or cycles, not 'sec'"},
        {{"--unit", "\x1b[2J"}, "--unit needs ms or cycles, not '?[2J'"},
        {{"--compare", "--repeat", "2"}, "--repeat repeats a run, and --compare runs nothing"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_EQ(parsed.status, 2) << c.arguments.front();
        EXPECT_EQ(parsed.err, "korvex2-console: " + c.reason +
                                  "\nTry 'korvex2-console --help' for more information.\n");
        EXPECT_EQ(parsed.out, "");
    }
}

TEST(ConsoleOptions, CoresAreANumberOfUsableProcessorsOrAll) {
    const int usable = static_cast<int>(platform::usableProcessors().size());
    const std::string range = "--cores takes 'all' or a number from 1 to " +
                              std::to_string(usable) +
                              " (the logical processors this machine lets it use), not ";
    const struct {
        std::vector<std::string> arguments;
        int cores;           // when accepted
        std::string reason;  // when refused
    } cases[] = {
        {{}, 1, ""},
        {{"--cores", "1"}, 1, ""},
        {{"--cores=all"}, usable, ""},
        {{"--cores", std::to_string(usable)}, usable, ""},
        {{"--cores", "0"}, 0, range + "'0'"},
        {{"--cores=9999"}, 0, range + "'9999'"},
        {{"--cores", std::to_string(usable + 1)},
         0,
         range + "'" + std::to_string(usable + 1) + "'"},
        {{"--cores", "x"}, 0, range + "'x'"},
        {{"--cores", "2x"}, 0, range + "'2x'"},
        {{"--cores", "-1"}, 0, range + "'-1'"},
        {{"--cores=\x1b[2J"}, 0, range + "'?[2J'"},
        {{"--cores"}, 0, "--cores needs N"},
        {{"--compare", "--cores", "all"},
         0,
         usable > 1 ? "--cores times a run, and --compare runs nothing" : ""},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        if (c.reason.empty()) {
            EXPECT_EQ(parsed.status, -1) << parsed.err;
            if (c.cores > 0) {
                EXPECT_EQ(parsed.options.cores, c.cores) << parsed.err;
            }
        } else {
            EXPECT_EQ(parsed.status, 2) << c.reason;
            EXPECT_EQ(parsed.err, "korvex2-console: " + c.reason +
                                      "\nTry 'korvex2-console --help' for more information.\n");
        }
    }
}

TEST(ConsoleOptions, RepeatAndRunsAsTheyCome) {
    const Parsed repeated = parse({"--repeat=100", "--runs-as-they-come"});
    EXPECT_EQ(repeated.status, -1);
    EXPECT_EQ(repeated.options.repeat, 100);
    EXPECT_FALSE(repeated.options.sequence.replaceDisturbedCalls);
    const Parsed plain = parse({});
    EXPECT_EQ(plain.options.repeat, 1);
    EXPECT_TRUE(plain.options.sequence.replaceDisturbedCalls);
}

std::string runOutputBytes(OutputContent content, const FinishedRun& finished) {
    std::ostringstream out;
    writeRunOutput(out, content, finished);
    return out.str();
}

// Runs of a test more than the result file holds: each record keeps the file's tests alone,
// the CSV has every test's row.
TEST(ConsoleOutput, RepeatedRunsAreSavedOneRecordEachAndCsvRowsEach) {
    constexpr int kRunTests = kTestCount + 1;
    FinishedRun finished;
    finished.run.testNames = benchmarkTestNames();
    for (std::uint32_t run = 1; run <= 3; ++run) {
        RunTable results = emptyRunTable(kRunTests);
        cycleRow(results, 0).fill(100 * run);
        cycleRow(results, kTestCount).fill(999);
        finished.repeatedRuns.push_back(results);
    }
    finished.run.results = finished.repeatedRuns.back();
    const std::string records = runOutputBytes(OutputContent::ResultFile, finished);
    ASSERT_EQ(records.size(), 3 * kRecordSize);
    for (std::uint32_t run = 0; run < 3; ++run) {
        TCpuRecord record{};
        std::memcpy(&record, records.data() + run * kRecordSize, kRecordSize);
        EXPECT_EQ(cycleRow(record.Results, 0)[0], 100 * (run + 1));
        EXPECT_EQ(record.Results, recordTable(finished.repeatedRuns[run]));
    }
    const std::string csv = runOutputBytes(OutputContent::Csv, finished);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 3 * kRunTests);
    EXPECT_NE(csv.find(",999,"), std::string::npos);

    finished.repeatedRuns.clear();
    EXPECT_EQ(runOutputBytes(OutputContent::ResultFile, finished).size(), kRecordSize);
}

TEST(ConsoleOutput, LinesNotGivenComeFromTheMachine) {
    ConsoleOptions options;
    options.descriptions[0] = "Athlon";
    options.descriptions[3] = "";
    const platform::MachineDescription machine{"AMD EPYC", "100 МГц", "24 ГБ", "Debian"};
    EXPECT_EQ(runDescription(options, machine),
              (platform::MachineDescription{"Athlon", "100 МГц", "24 ГБ", ""}));
}

// Every output holds a description as the result file does: its first 128 characters.
TEST(ConsoleOutput, DescriptionsAreCutTo128Characters) {
    ConsoleOptions options;
    options.descriptions[0] = std::string(127, 'a') + "ЖЖ";
    options.descriptions[2] = std::string(128, 'b');
    const platform::MachineDescription machine{"", "", "", std::string(300, 'c')};
    EXPECT_EQ(runDescription(options, machine),
              (platform::MachineDescription{std::string(127, 'a') + "Ж", "", std::string(128, 'b'),
                                            std::string(128, 'c')}));
}

std::string textOf(const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = readBytes(file);
    return {bytes.begin(), bytes.end()};
}

std::vector<ConsoleOutput> outputsOf(const std::string& save, const std::string& json) {
    ConsoleOptions options;
    options.saveFile = save;
    options.jsonFile = json;
    return requestedOutputs(options);
}

TEST(ConsoleOutput, EarlyCheckNamesTheFolderAndTheReason) {
    TemporaryFolder folder;
    std::ostringstream err;
    EXPECT_TRUE(checkOutputs(outputsOf((folder / "x.dat").string(), "-"), err));
    const std::string missing = (folder / "missing/x.dat").string();
    EXPECT_FALSE(checkOutputs(outputsOf(missing, "-"), err));
    EXPECT_EQ(err.str(), "korvex2-console: cannot write " + missing + ": folder " +
                             (folder / "missing").string() + ": No such file or directory\n");
}

// The same file under two names, through a link or a hard link too, is refused before the run.
TEST(ConsoleOutput, TwoOutputsNamingOneFileAreRefused) {
    TemporaryFolder folder;
    writeBytes(folder / "r.dat", std::vector<std::uint8_t>(4, 1));
    std::filesystem::create_symlink("r.dat", folder / "link.dat");
    std::filesystem::create_hard_link(folder / "r.dat", folder / "hard.dat");
    const std::string file = (folder / "r.dat").string();
    for (const std::string& json :
         {file, (folder / "link.dat").string(), (folder / "hard.dat").string(),
          (folder / "." / "r.dat").string()}) {
        std::ostringstream err;
        EXPECT_FALSE(checkOutputs(outputsOf(file, json), err)) << json;
        EXPECT_EQ(err.str(),
                  "korvex2-console: --save and --json name the same file: " + json + "\n");
    }
    std::ostringstream err;
    EXPECT_TRUE(checkOutputs(outputsOf(file, (folder / "run.json").string()), err));
}

OutputWriter writing(std::string text) {
    return [text = std::move(text)](std::ostream& out) { out << text; };
}

OutputWriter runWriter(const ConsoleOutput& output, const FinishedRun& finished) {
    return [&](std::ostream& out) { writeRunOutput(out, output.content, finished); };
}

TEST(ConsoleOutput, OutputsSayWhereTheyWentOrWhyNot) {
    TemporaryFolder folder;
    const std::vector<ConsoleOutput> outputs =
        outputsOf((folder / "me.dat").string(), (folder / "run.json").string());
    FinishedRun finished;
    finished.run.program = "Korvex 2";
    platform::FileContentWriter writer;
    std::ostringstream report, err;
    for (const ConsoleOutput& output : outputs)
        EXPECT_TRUE(writeOutput(output, runWriter(output, finished), report, err, writer));
    EXPECT_EQ(report.str(), "Results saved to " + (folder / "me.dat").string() +
                                "\nJSON written to " + (folder / "run.json").string() + "\n");
    EXPECT_EQ(readBytes(folder / "me.dat").size(), kRecordSize);
    EXPECT_EQ(textOf(folder / "run.json"), runJson(finished.run) + "\n");

    std::filesystem::create_directory(folder / "taken.dat");
    report.str("");
    ConsoleOutput taken = outputs[0];
    taken.file = (folder / "taken.dat").string();
    EXPECT_FALSE(writeOutput(taken, runWriter(taken, finished), report, err, writer));
    EXPECT_EQ(report.str(), "");
    EXPECT_EQ(err.str(), "Ошибка записи: " + taken.file + ": Is a directory\n");
}

// The JSON goes through the save's path: a write that fails part-way leaves the old report.
TEST(ConsoleOutput, FailedJsonWriteLeavesTheOldReport) {
    TemporaryFolder folder;
    const std::vector<std::uint8_t> old = {'{', '}', '\n'};
    writeBytes(folder / "run.json", old);
    const ConsoleOutput json =
        outputsOf((folder / "me.dat").string(), (folder / "run.json").string())[1];
    FinishedRun finished;
    FailingWriter writer(100);
    std::ostringstream report, err;
    EXPECT_FALSE(writeOutput(json, runWriter(json, finished), report, err, writer));
    EXPECT_EQ(err.str(), "Ошибка записи: " + json.file + ": No space left on device\n");
    EXPECT_EQ(readBytes(folder / "run.json"), old);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"run.json"});
}

// Each output is written or refused on its own: a failed first one stops none after it, and the
// result says one failed.
TEST(ConsoleOutput, AFailedOutputStopsNoneAfterIt) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "taken.dat");
    ConsoleOptions options;
    options.saveFile = (folder / "taken.dat").string();
    options.jsonFile = (folder / "run.json").string();
    options.csvFile = (folder / "run.csv").string();
    FinishedRun finished;
    platform::FileContentWriter writer;
    std::ostringstream report, err;
    EXPECT_FALSE(writeOutputs(
        requestedOutputs(options),
        [&](OutputContent content, std::ostream& out) { writeRunOutput(out, content, finished); },
        report, err, writer));
    EXPECT_EQ(err.str(), "Ошибка записи: " + *options.saveFile + ": Is a directory\n");
    EXPECT_EQ(report.str(), "JSON written to " + *options.jsonFile + "\nCSV written to " +
                                *options.csvFile + "\n");
}

// A comparison goes to its file in pieces as it is made; a write failing after the first pieces
// still leaves the old file as it was and no temporary behind.
TEST(ConsoleOutput, AComparisonFailingPartWayLeavesTheOldFile) {
    const std::deque<TCpuRecord> records(400, emptyRecord());
    const ComparisonExport comparison{
        "Korvex 2", "1.0b", "controller", {}, storedMachines(records, {{"a.dat", 0, 400, {}}}), {}};
    for (const OutputContent content : {OutputContent::Json, OutputContent::Csv}) {
        TemporaryFolder folder;
        const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
        writeBytes(folder / "out", old);
        const ConsoleOutput output{"--json", (folder / "out").string(), "written to", content};
        FailingWriter writer(70000);
        std::ostringstream report, err;
        EXPECT_FALSE(writeOutput(
            output, [&](std::ostream& out) { writeComparisonOutput(out, content, comparison, {}); },
            report, err, writer));
        EXPECT_EQ(err.str(), "Ошибка записи: " + output.file + ": No space left on device\n");
        EXPECT_EQ(readBytes(folder / "out"), old);
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"out"});
    }
}

// A run's output that cannot be written where asked after the run goes to the state folder,
// under a name of its own each time, and the user is told where and why.
TEST(ConsoleOutput, FailedOutputOfARunIsKeptInTheFallbackFolder) {
    TemporaryFolder folder;
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
    std::filesystem::create_directory(folder / "taken.json");
    const ConsoleOutput json = outputsOf("", (folder / "taken.json").string())[1];
    platform::FileContentWriter writer;
    std::ostringstream report, err;
    const std::time_t started = 60;
    EXPECT_FALSE(writeOutput(json, writing("{\"one\"}"), report, err, writer, started));
    EXPECT_FALSE(writeOutput(json, writing("{\"two\"}"), report, err, writer, started));
    if (saved != nullptr)
        setenv("XDG_STATE_HOME", previous.c_str(), 1);
    else
        unsetenv("XDG_STATE_HOME");
    const std::filesystem::path kept = folder / "state" / "korvex2";
    EXPECT_EQ(textOf(kept / "korvex2-run-19700101T000100Z.json"), "{\"one\"}");
    EXPECT_EQ(textOf(kept / "korvex2-run-19700101T000100Z-2.json"), "{\"two\"}");
    EXPECT_NE(err.str().find("korvex2-console: --json " + json.file +
                             " could not be written (Is a directory); kept in " +
                             (kept / "korvex2-run-19700101T000100Z.json").string() + " instead\n"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"state", "taken.json"}));
}

// The state folder follows the base-directory rules: a variable that is unset or not absolute
// is ignored, and where neither gives a folder the current one is used.
TEST(ConsoleOutput, FallbackFolderIgnoresVariablesThatAreNotAbsolute) {
    TemporaryFolder folder;
    const std::string state = (folder / "state").string(), home = (folder / "home").string();
    const std::filesystem::path current = std::filesystem::current_path();
    const struct {
        const char* xdgStateHome;  // nullptr: unset
        const char* home;
        std::filesystem::path expected;
    } cases[] = {
        {state.c_str(), home.c_str(), folder / "state" / "korvex2"},
        {"relative/state", home.c_str(), folder / "home" / ".local" / "state" / "korvex2"},
        {nullptr, home.c_str(), folder / "home" / ".local" / "state" / "korvex2"},
        {"relative/state", "relative/home", current},
    };
    std::array<std::optional<std::string>, 2> saved;
    const char* names[] = {"XDG_STATE_HOME", "HOME"};
    for (std::size_t i = 0; i < saved.size(); ++i)
        if (const char* value = std::getenv(names[i])) saved[i] = value;
    for (const auto& c : cases) {
        const char* values[] = {c.xdgStateHome, c.home};
        for (std::size_t i = 0; i < saved.size(); ++i)
            values[i] != nullptr ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        EXPECT_EQ(fallbackFolder(), c.expected) << (c.xdgStateHome ? c.xdgStateHome : "unset");
    }
    for (std::size_t i = 0; i < saved.size(); ++i)
        saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
    EXPECT_FALSE(std::filesystem::exists(current / "relative"));
}

TEST(ConsoleOutput, ReplacingAFileWithOtherLinksSaysSo) {
    TemporaryFolder folder;
    writeBytes(folder / "run.json", std::vector<std::uint8_t>(5000, '#'));
    std::filesystem::create_hard_link(folder / "run.json", folder / "copy.json");
    const ConsoleOutput json = outputsOf("", (folder / "run.json").string())[1];
    platform::FileContentWriter writer;
    std::ostringstream report, err;
    EXPECT_TRUE(writeOutput(json, writing("{}\n"), report, err, writer));
    EXPECT_EQ(err.str(), "korvex2-console: " + json.file +
                             " had 1 more hard link(s); writing in place could have torn it, so a "
                             "new file took its name and the other links keep the old contents\n");
    EXPECT_EQ(textOf(folder / "copy.json"), std::string(5000, '#'));
}

// A result file over a result file of two links is written in place, in one write: both names
// keep showing the new record, and nothing is said.
TEST(ConsoleOutput, ResultFileOverALinkedResultFileKeepsTheLinks) {
    TemporaryFolder folder;
    writeBytes(folder / "me.dat", std::vector<std::uint8_t>(kRecordSize, '#'));
    std::filesystem::create_hard_link(folder / "me.dat", folder / "copy.dat");
    const ConsoleOutput save = outputsOf((folder / "me.dat").string(), "-")[0];
    const std::string record(kRecordSize, 'r');
    class WriteCounter final : public platform::FileContentWriter {
      public:
        std::error_code writeAll(int descriptor, std::span<const std::uint8_t> bytes) override {
            ++writes;
            return FileContentWriter::writeAll(descriptor, bytes);
        }
        int writes = 0;
    } writer;
    std::ostringstream report, err;
    EXPECT_TRUE(writeOutput(save, writing(record), report, err, writer));
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(writer.writes, 1);
    EXPECT_TRUE(std::filesystem::equivalent(folder / "me.dat", folder / "copy.dat"));
    EXPECT_EQ(textOf(folder / "copy.dat"), record);
}

TEST(ConsoleOutput, DescriptionsWindows1251LacksAreReported) {
    std::ostringstream err;
    reportCodePageLoss({"Процессор", "中文", "", "Linux 🐧"}, err);
    EXPECT_EQ(err.str(),
              "korvex2-console: the bus line has characters Windows-1251 lacks; the result file "
              "holds '?' for them\n"
              "korvex2-console: the operating system line has characters Windows-1251 lacks; the "
              "result file holds '?' for them\n");
}

}  // namespace
