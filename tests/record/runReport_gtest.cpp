#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "record/runReportUnit.h"
#include "renderers/runJsonUnit.h"
#include "support/records.h"
#include "support/temporaryFolder.h"

namespace {

using Json = nlohmann::json;

// A run's tests: the result file's and one beyond them, which its record leaves out.
constexpr int kRunTests = kTestCount + 1;

std::vector<TestName> testNames() {
    std::vector<TestName> names;
    for (int test = 0; test < kRunTests; ++test)
        names.push_back({"t" + std::to_string(test), "Тест " + std::to_string(test)});
    return names;
}

// A run on two cores of a machine whose test k ran in 100 + k cycles and 40 + k milliseconds,
// its first test with a failed call and its last failed on every core.
RunExport twoCoreRun(const std::string& cpu) {
    RunExport run;
    run.machine.description = {cpu, "100 МГц", "24 ГБ", "Debian"};
    run.testNames = testNames();
    run.results = emptyRunTable(kRunTests);
    for (int test = 0; test < kRunTests; ++test) {
        cycleRow(run.results, test) = runsOf(100 + static_cast<std::uint32_t>(test));
        millisecondRow(run.results, test) = runsOf(40 + static_cast<std::uint32_t>(test));
    }
    cycleRow(run.results, 0)[4] = millisecondRow(run.results, 0)[4] = 0;
    CoresRun cores{2, {}};
    for (int test = 0; test < kRunTests; ++test)
        cores.tests.push_back({{110u, 111u}, {45u, std::nullopt}, 111u, 45u, 1.875, ""});
    cores.tests.back() = {{std::nullopt, 90u}, {std::nullopt, 35u}, {}, {}, {}, "процесс 1 убит"};
    run.cores = cores;
    run.kernelCode = "c0de";
    QualityExport quality;
    quality.lines.assign(1 + kRunTests, "spread");
    quality.lines.push_back("Помехи:");
    run.quality = quality;
    return run;
}

std::optional<RunReport> parsed(const std::string& text, std::string& why) {
    const std::vector<TestName> names = testNames();
    return parseRunReport(text, names, why);
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    writeBytes(file, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace

TEST(RunReport, ReadsBackWhatARunWrites) {
    const RunExport run = twoCoreRun("AMD EPYC");
    std::string why;
    const std::optional<RunReport> report = parsed(runJson(run), why);
    ASSERT_TRUE(report) << why;
    EXPECT_EQ(report->record.Results, recordTable(run.results));
    EXPECT_EQ(recordDescription(report->record).line(1), "100 МГц");
    ASSERT_TRUE(report->cores);
    EXPECT_EQ(report->cores->count, 2);
    ASSERT_EQ(report->cores->tests.size(), std::size_t{kRunTests});
    const CoresTest& first = report->cores->tests.front();
    EXPECT_EQ(first.workerBestMilliseconds, run.cores->tests.front().workerBestMilliseconds);
    EXPECT_EQ(first.machineCycles, 111u);
    EXPECT_EQ(first.scaling, 1.875);
    const CoresTest& last = report->cores->tests.back();
    EXPECT_EQ(last.workerBestCycles, run.cores->tests.back().workerBestCycles);
    EXPECT_FALSE(last.machineCycles || last.scaling);
    EXPECT_EQ(last.failure, "процесс 1 убит");
}

// Whatever a report says, a run it lists as failed is 0 in both rows, as in a result file; a
// schema-1 report (no calls, no cores) is read too.
TEST(RunReport, FailedRunsAreZeroAndSchemaOneIsRead) {
    Json document = Json::parse(runJson(twoCoreRun("x")));
    document["schema"] = 1;
    document.erase("cores");
    document["tests"][3]["failed_runs"] = {7};
    std::string why;
    const std::optional<RunReport> report = parsed(document.dump(), why);
    ASSERT_TRUE(report) << why;
    EXPECT_EQ(cycleRow(report->record.Results, 3)[7], 0u);
    EXPECT_EQ(millisecondRow(report->record.Results, 3)[7], 0u);
    EXPECT_EQ(cycleRow(report->record.Results, 3)[6], 103u);
    EXPECT_FALSE(report->cores);
}

TEST(RunReport, WhatIsNoReportOfThisProgramIsRefusedWithItsReason) {
    const std::string valid = runJson(twoCoreRun("x"));
    const auto changed = [&](const std::function<void(Json&)>& change) {
        Json document = Json::parse(valid);
        change(document);
        return document.dump();
    };
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {"", "not JSON"},
        {valid.substr(0, valid.size() / 2), "not JSON"},
        {std::string(100000, '['), "not JSON"},
        {"[]", "\"schema\""},
        {changed([](Json& d) { d["schema"] = 3; }), "schema 3"},
        {changed([](Json& d) { d["schema"] = "2"; }), "schema"},
        {changed([](Json& d) { d["machine"]["os"] = 7; }), "\"os\""},
        {changed([](Json& d) { d["tests"].erase(10), d["tests"].erase(9); }), "\"tests\""},
        {changed([](Json& d) { d["tests"][1]["id"] = "t2"; }), "test 1"},
        {changed([](Json& d) { d["tests"][2]["cycles"][0] = -1; }), "\"cycles\""},
        {changed([](Json& d) { d["tests"][2]["milliseconds"][9] = 4294967296; }), "\"milli"},
        {changed([](Json& d) { d["tests"][2]["cycles"][9] = 1.5; }), "\"cycles\""},
        {changed([](Json& d) { d["tests"][5]["failed_runs"] = {10}; }), "\"failed_runs\""},
        {changed([](Json& d) { d["cores"]["count"] = 0; }), "\"count\""},
        {changed([](Json& d) { d["cores"]["tests"][0]["worker_best"]["cycles"] = {1}; }), "cycl"},
        {changed([](Json& d) { d["cores"]["tests"][0]["scaling"] = -1; }), "\"scaling\""},
        {changed([](Json& d) { d["cores"]["tests"][0]["failure"] = 1; }), "\"failure\""},
        {changed([](Json& d) { d["cores"] = nullptr; }), "\"count\""},
    };
    for (const auto& [text, reason] : cases) {
        std::string why;
        EXPECT_FALSE(parsed(text, why)) << text.substr(0, 200);
        EXPECT_NE(why.find(reason), std::string::npos) << why << " lacks " << reason;
    }
}

// A report beside its result file gives that file's record its cores and adds no machine; one
// alone is a machine of its own; one unlike its result file, one that is no report and a FIFO
// named like one are skipped with notes, the FIFO never waited on.
TEST(RunReport, FolderReportsJoinTheirResultFilesOrStandAlone) {
    const TemporaryFolder folder;
    const RunExport web1 = twoCoreRun("web1");
    writeBytes(folder / "web1.dat",
               bytesOf(describedRecord(web1.machine.description, recordTable(web1.results))));
    writeText(folder / "web1.json", runJson(web1));
    writeText(folder / "web2.JSON", runJson(twoCoreRun("web2")));
    writeBytes(folder / "web3.dat", bytesOf(testMachine("web3", runsOf(5), runsOf(2))));
    writeText(folder / "web3.json", runJson(twoCoreRun("web3")));
    writeText(folder / "junk.json", "{\"schema\": 2");
    ASSERT_EQ(mkfifo((folder / "pipe.json").c_str(), 0600), 0);

    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    std::vector<ResultFileRecords> files;
    loadResultFolder(folder.path(), records, &notes, &files);
    ASSERT_EQ(records.size(), 2u);
    loadRunReports(folder.path(), records, notes, files, testNames());

    ASSERT_EQ(records.size(), 3u);
    std::vector<StoredMachine> machines = storedMachines(records, files);
    std::sort(machines.begin(), machines.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    ASSERT_EQ(machines.size(), 3u);
    EXPECT_EQ(machines[0].file, (folder / "web1.dat").string());
    ASSERT_NE(machines[0].cores, nullptr);
    EXPECT_EQ(machines[0].cores->count, 2);
    EXPECT_EQ(machines[1].file, (folder / "web2.JSON").string());
    EXPECT_EQ(descriptionText(machines[1].data->Cpu), "web2");
    EXPECT_NE(machines[1].cores, nullptr);
    EXPECT_EQ(machines[2].file, (folder / "web3.dat").string());
    EXPECT_EQ(machines[2].cores, nullptr);
    // The kernel code, the warnings after the spreads and the run's quality come with the cores,
    // joined or alone.
    for (const StoredMachine& machine : {machines[0], machines[1]}) {
        ASSERT_TRUE(machine.kernelCode && machine.warnings && machine.quality) << machine.name;
        EXPECT_EQ(*machine.kernelCode, "c0de");
        EXPECT_EQ(*machine.warnings, std::vector<std::string>{"Помехи:"});
    }
    EXPECT_FALSE(machines[2].kernelCode || machines[2].warnings || machines[2].quality);

    std::map<std::string, ResultFileNote::Kind> kinds;
    for (const ResultFileNote& note : notes) kinds[note.name.string()] = note.kind;
    EXPECT_EQ(kinds, (std::map<std::string, ResultFileNote::Kind>{
                         {"web3.json", ResultFileNote::Kind::UnlikeItsResultFile},
                         {"junk.json", ResultFileNote::Kind::NotARunReport},
                         {"pipe.json", ResultFileNote::Kind::NotARegularFile}}));
}

// Reports that would add machines beyond the budget are counted in one note; one that joins its
// result file needs no room.
TEST(RunReport, ReportsBeyondTheBudgetAreCountedNotLoaded) {
    const TemporaryFolder folder;
    const RunExport run = twoCoreRun("a");
    writeBytes(folder / "a.dat",
               bytesOf(describedRecord(run.machine.description, recordTable(run.results))));
    for (const char* name : {"a.json", "b.json", "c.json", "d.json"})
        writeText(folder / name, runJson(run));
    std::deque<TCpuRecord> records;
    std::vector<ResultFileNote> notes;
    std::vector<ResultFileRecords> files;
    loadResultFolder(folder.path(), records, &notes, &files);
    loadRunReports(folder.path(), records, notes, files, testNames(), 2);
    EXPECT_EQ(records.size(), 2u);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].kind, ResultFileNote::Kind::OverBudget);
    EXPECT_EQ(notes[0].records, 2u);
    EXPECT_TRUE(files[0].cores);
}

// A run whose test 3 had calls 1 and 4 disturbed, test 6 unsteady, reported by host "web1" on
// an EPYC; then, as a report of a run in rounds says it, its order, seed and a disturbed round.
TEST(RunReport, ReadsTheQualityOfTheRun) {
    RunExport run = twoCoreRun("typed by hand");
    run.host = "web1";
    run.machine.processor = "AMD EPYC 7B13";
    run.testCalls.resize(kTestCount);
    for (TestCallsExport& test : run.testCalls) test.stored.resize(kRunsPerTest);
    run.testCalls[3].stored[1].disturbed = run.testCalls[3].stored[4].disturbed = true;
    run.quality->tests.resize(kTestCount);
    run.quality->tests[6].spread = 0.08;
    run.quality->unsteadyTests = {6};
    const RecordQuality expected = runRecordQuality(run);
    EXPECT_EQ(expected.disturbedCount(3), 2);
    EXPECT_EQ(unsteadyTestNumbers(expected), "7");

    // The run itself, made in rounds: a call of a slow round counts as disturbed too, and what
    // its report says reads back the same.
    RunExport inRounds = run;
    inRounds.order = "rounds";
    inRounds.seed = 42;
    inRounds.rounds = {{2, 1.01, false, false}, {3, 1.2, true, false}};
    inRounds.testCalls[2].stored[5].round = 3;
    inRounds.testCalls[2].stored[6].round = 2;
    const RecordQuality ownRounds = runRecordQuality(inRounds);
    EXPECT_EQ(ownRounds.disturbedCalls[2], 1U << 5);
    std::string readWhy;
    const std::optional<RunReport> readRounds = parsed(runJson(inRounds), readWhy);
    ASSERT_TRUE(readRounds) << readWhy;
    EXPECT_EQ(readRounds->quality.disturbedCalls, ownRounds.disturbedCalls);
    EXPECT_EQ(readRounds->quality.order, "rounds");
    EXPECT_EQ(readRounds->quality.seed, 42u);

    struct Case {
        const char* name;
        std::function<void(Json&)> edit;
        std::string order;
        std::optional<std::uint64_t> seed;
        std::uint16_t test2Calls;
        std::optional<double> spread;  // of test 7
    };
    const std::vector<Case> cases = {
        {"as written", [](Json&) {}, "in-order", std::nullopt, 0, 0.08},
        {"in rounds, round 3 disturbed",
         [](Json& document) {
             document["order"] = "rounds";
             document["seed"] = 42;
             document["rounds"] = Json::array(
                 {{{"round", 2}, {"disturbed", false}}, {{"round", 3}, {"disturbed", true}}});
             document["tests"][2]["calls"][5]["round"] = 3;
             document["tests"][2]["calls"][6]["round"] = 2;
         },
         "rounds", 42, 1U << 5, 0.08},
        {"fields of the wrong kind are passed over",
         [](Json& document) {
             document["order"] = "sideways";
             document["seed"] = "42";
             document["rounds"] = "3";
             document["quality"]["unsteady_tests"] = Json::array({6, 99, -1, "x"});
             document["quality"]["tests"][6]["spread"] = "0.08";
         },
         "", std::nullopt, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        Json document = Json::parse(runJson(run));
        c.edit(document);
        std::string why;
        const std::optional<RunReport> report = parsed(document.dump(), why);
        ASSERT_TRUE(report) << c.name << ": " << why;
        const RecordQuality& quality = report->quality;
        EXPECT_EQ(quality.host, "web1") << c.name;
        EXPECT_EQ(quality.processor, "AMD EPYC 7B13") << c.name;
        EXPECT_EQ(quality.order, c.order) << c.name;
        EXPECT_EQ(quality.seed, c.seed) << c.name;
        EXPECT_EQ(quality.disturbedCalls[3], expected.disturbedCalls[3]) << c.name;
        EXPECT_EQ(quality.disturbedCalls[2], c.test2Calls) << c.name;
        EXPECT_EQ(quality.unsteady, expected.unsteady) << c.name;
        EXPECT_EQ(quality.spreads[6], c.spread) << c.name;
    }
}
