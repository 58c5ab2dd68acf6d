#include "renderers/runJsonUnit.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

RunExport sampleRun() {
    RunExport run;
    run.program = "Korvex 2";
    run.version = "1.0b";
    run.host = "bench-7";
    run.kernelCode = "0123456789abcdef";
    run.started = 1796638502;  // 2026-12-07T10:15:02Z
    run.machine = {{"AMD EPYC", "", "24 ГБ", "Debian GNU/Linux 12 (bookworm)"},
                   "AMD EPYC 7B13",
                   2,
                   "6.1.0-13-amd64",
                   {"performance"},
                   true};
    run.clockMHz = 2245;
    run.results = emptyRunTable(kTestCount);
    for (int test = 0; test < kTestCount; ++test) {
        run.testNames.push_back({"id-" + std::to_string(test), "test " + std::to_string(test)});
        for (int column = 0; column < kRunsPerTest; ++column) {
            const auto offset = static_cast<std::uint32_t>(column);
            run.results[2 * test][column] = 1000u * static_cast<std::uint32_t>(test) + 10 - offset;
            run.results[2 * test + 1][column] = 4000000000u + offset;  // above the signed range
        }
    }
    run.results[2][3] = run.results[3][3] = 0;  // test 1: run 3 failed
    for (int column = 0; column < kRunsPerTest; ++column)
        run.results[18][column] = run.results[19][column] = 0;  // test 9 failed every run
    return run;
}

TEST(RunJson, EveryValueOfTheTableIsWrittenWhereItBelongs) {
    const RunExport run = sampleRun();
    const auto json = nlohmann::json::parse(runJson(run));
    ASSERT_EQ(json["tests"].size(), static_cast<std::size_t>(kTestCount));
    for (int test = 0; test < kTestCount; ++test) {
        const auto& entry = json["tests"][static_cast<std::size_t>(test)];
        EXPECT_EQ(entry["index"], test);
        EXPECT_EQ(entry["id"], run.testNames[static_cast<std::size_t>(test)].id);
        EXPECT_EQ(entry["label"], run.testNames[static_cast<std::size_t>(test)].label);
        EXPECT_EQ(
            entry["cycles"].get<std::vector<std::uint32_t>>(),
            std::vector<std::uint32_t>(run.results[2 * test].begin(), run.results[2 * test].end()));
        EXPECT_EQ(entry["milliseconds"].get<std::vector<std::uint32_t>>(),
                  std::vector<std::uint32_t>(run.results[2 * test + 1].begin(),
                                             run.results[2 * test + 1].end()));
    }
}

// A run's tests beyond a result file's ten are written like the others; one this processor
// cannot run says so and has no figures.
TEST(RunJson, TestsBeyondTheResultFilesAndOneNotSupportedAreWritten) {
    RunExport run = sampleRun();
    run.testNames.push_back({"beyond", "test 10"});
    run.testNames.push_back({"not-here", "test 11", false});
    ResultRow fives{};
    fives.fill(5);
    run.results.resize(run.results.size() + 4, fives);
    const auto tests = nlohmann::json::parse(runJson(run))["tests"];
    ASSERT_EQ(tests.size(), std::size_t{kTestCount + 2});
    EXPECT_EQ(tests[kTestCount]["best"]["cycles"], 5);
    EXPECT_FALSE(tests[kTestCount].contains("supported"));
    const auto& notHere = tests[kTestCount + 1];
    EXPECT_EQ(notHere["id"], "not-here");
    EXPECT_EQ(notHere["supported"], false);
    EXPECT_FALSE(notHere.contains("cycles") || notHere.contains("best"));
}

TEST(RunJson, ProgramDateMachineAndClockAreWritten) {
    const auto json = nlohmann::json::parse(runJson(sampleRun()));
    EXPECT_EQ(json["program"], "Korvex 2");
    EXPECT_EQ(json["version"], "1.0b");
    EXPECT_EQ(json["schema"], kJsonSchema);
    EXPECT_EQ(json["host"], "bench-7");
    EXPECT_EQ(json["kernel_code"], "0123456789abcdef");
    EXPECT_EQ(json["date"], "2026-12-07T10:15:02Z");
    EXPECT_EQ(json["clock_mhz"], 2245);
    const auto& machine = json["machine"];
    EXPECT_EQ(machine["cpu"], "AMD EPYC");
    EXPECT_EQ(machine["fsb"], "");
    EXPECT_EQ(machine["memory"], "24 ГБ");
    EXPECT_EQ(machine["os"], "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(machine["logical_processors"], 2);
    EXPECT_EQ(machine["kernel_release"], "6.1.0-13-amd64");
    EXPECT_EQ(machine["frequency_governors"], nlohmann::json::array({"performance"}));
    EXPECT_EQ(machine["hypervisor"], true);
    EXPECT_EQ(machine["processor"], "AMD EPYC 7B13");
}

TEST(RunJson, OrderSeedRoundsAndHistoryAreWrittenWhenTheRunHadThem) {
    RunExport run = sampleRun();
    auto json = nlohmann::json::parse(runJson(run));
    EXPECT_EQ(json["order"], "in-order");
    EXPECT_TRUE(json["seed"].is_null());
    EXPECT_EQ(json["rounds"], nlohmann::json::array());
    EXPECT_FALSE(json.contains("history"));

    run.order = "rounds";
    run.seed = 4'000'000'000u;
    run.rounds = {{1, 1.01, false, false}, {2, 1.18, true, true}, {3, std::nullopt, false, false}};
    run.history = HistoryExport{3, 129.0, 0.29, 4, 0.12, std::nullopt};
    run.testCalls.resize(kTestCount);
    run.testCalls[0].stored.push_back(CallExport{.call = 4, .round = 5, .place = 7});
    run.testCalls[1].stored.push_back(CallExport{.call = 0});
    json = nlohmann::json::parse(runJson(run));
    EXPECT_EQ(json["order"], "rounds");
    EXPECT_EQ(json["seed"], 4'000'000'000u);
    EXPECT_EQ(
        json["rounds"][1],
        (nlohmann::json{{"round", 2}, {"factor", 1.18}, {"disturbed", true}, {"replaced", true}}));
    EXPECT_TRUE(json["rounds"][2]["factor"].is_null());
    EXPECT_EQ(json["history"], (nlohmann::json{{"runs_on_record", 3},
                                               {"best_index", 129.0},
                                               {"slower_by", 0.29},
                                               {"runs_per_order", 4},
                                               {"rounds_spread", 0.12},
                                               {"in_order_spread", nullptr}}));
    EXPECT_EQ(json["tests"][0]["calls"][0]["round"], 5);
    EXPECT_EQ(json["tests"][0]["calls"][0]["place"], 7);
    EXPECT_TRUE(json["tests"][1]["calls"][0]["round"].is_null()) << "a call run in order";
}

TEST(RunJson, ATestWithAFailedRunHasNoSummary) {
    const auto json = nlohmann::json::parse(runJson(sampleRun()));
    const auto& whole = json["tests"][0];  // cycles 10..1, milliseconds 4e9 + 0..9
    EXPECT_EQ(whole["failed_runs"], nlohmann::json::array());
    EXPECT_EQ(whole["best"]["cycles"], 1);
    EXPECT_EQ(whole["median"]["cycles"], 5.5);
    EXPECT_EQ(whole["average"]["cycles"], 5.5);
    EXPECT_EQ(whole["best"]["milliseconds"], 4000000000u);
    EXPECT_EQ(whole["average"]["milliseconds"], 4000000004.5);

    const auto& oneFailed = json["tests"][1];  // cycles 1010..1001 without 1007
    EXPECT_EQ(oneFailed["failed_runs"], nlohmann::json::array({3}));
    EXPECT_TRUE(oneFailed["best"]["cycles"].is_null());
    EXPECT_TRUE(oneFailed["median"]["cycles"].is_null());
    EXPECT_EQ(oneFailed["cycles"][0], 1010) << "the calls that passed are kept";

    const auto& allFailed = json["tests"][9];
    EXPECT_EQ(allFailed["failed_runs"].size(), 10u);
    EXPECT_TRUE(allFailed["best"]["cycles"].is_null());
    EXPECT_TRUE(allFailed["average"]["milliseconds"].is_null());
}

// A run on every core has its own part; a run on one core has none, so its document is as before.
TEST(RunJson, CoresCarryTheMachineFigureScalingAndEveryWorkersBest) {
    RunExport run = sampleRun();
    EXPECT_FALSE(nlohmann::json::parse(runJson(run)).contains("cores"));
    CoresRun cores{2, std::vector<CoresTest>(kTestCount)};
    cores.tests[1] = {{90, 80}, {40, std::nullopt}, 95, 44, 2 * 100.0 / 95, ""};
    cores.tests[2].failure = "процесс 2 (процессор 1) завершён сигналом 9";
    run.cores = cores;
    const auto json = nlohmann::json::parse(runJson(run));
    EXPECT_EQ(json["cores"]["count"], 2);
    ASSERT_EQ(json["cores"]["tests"].size(), static_cast<std::size_t>(kTestCount));
    const auto& figures = json["cores"]["tests"][1];
    EXPECT_EQ(figures["id"], "id-1");
    EXPECT_EQ(figures["machine"]["cycles"], 95);
    EXPECT_EQ(figures["machine"]["milliseconds"], 44);
    EXPECT_EQ(figures["scaling"], 2.105);
    EXPECT_EQ(figures["worker_best"]["cycles"], nlohmann::json::array({90, 80}));
    EXPECT_EQ(figures["worker_best"]["milliseconds"], nlohmann::json::array({40, nullptr}));
    EXPECT_TRUE(figures["failure"].is_null());
    const auto& failed = json["cores"]["tests"][2];
    EXPECT_EQ(failed["failure"], cores.tests[2].failure);
    EXPECT_TRUE(failed["machine"]["cycles"].is_null());
    EXPECT_TRUE(failed["scaling"].is_null());
}

TEST(RunJson, ADescriptionThatIsNotUtf8StillGivesValidJson) {
    RunExport run = sampleRun();
    run.machine.description.processor = "bad \xff byte";
    run.clockMHz.reset();
    const auto json = nlohmann::json::parse(runJson(run));
    EXPECT_EQ(json["machine"]["cpu"], "bad ? byte");
    EXPECT_TRUE(json["clock_mhz"].is_null());
}

// Every stored machine with the file it came from, its place there, its descriptions and its
// tests as a run's.
TEST(RunJson, ComparisonListsEveryStoredMachineWithItsFile) {
    std::deque<TCpuRecord> records(3, emptyRecord());
    setDescriptionText(records[1].Os, "Linux");
    records[2].Results[19][9] = 77;
    const std::vector<ResultFileRecords> files = {{"fleet/a.dat", 0, 1}, {"fleet/b.dat", 1, 2}};
    const std::vector<StoredMachine> machines = storedMachines(records, files);
    ASSERT_EQ(machines.size(), 3u);
    EXPECT_EQ(machines[0].name, "fleet/a.dat");
    EXPECT_EQ(machines[2].name, "fleet/b.dat#2");

    std::ostringstream out;
    writeComparisonJson(out,
                        {"Korvex 2", "1.0b", "controller", sampleRun().testNames, machines, {}});
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["schema"], kJsonSchema);
    EXPECT_FALSE(json.contains("comparison"));
    EXPECT_EQ(json["host"], "controller");
    const auto& stored = json["machines"];
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[1]["file"], "fleet/b.dat");
    EXPECT_EQ(stored[1]["record"], 0);
    EXPECT_EQ(stored[1]["os"], "Linux");
    EXPECT_EQ(stored[2]["record"], 1);
    EXPECT_EQ(stored[2]["tests"][9]["id"], "id-9");
    EXPECT_EQ(stored[2]["tests"][9]["milliseconds"][9], 77);
}

// Written machine by machine, the document reads exactly as the whole of it dumped at once.
TEST(RunJson, AStreamedComparisonIsLaidOutAsOneDocument) {
    std::deque<TCpuRecord> records(3, emptyRecord());
    setDescriptionText(records[2].Cpu, "Athlon \"XP\"");
    for (const std::size_t count : {0u, 1u, 3u}) {
        const std::vector<ResultFileRecords> files = {{"cpus/a.dat", 0, count, {}}};
        std::ostringstream out;
        writeComparisonJson(out, {"Korvex 2",
                                  "1.0b",
                                  "controller",
                                  sampleRun().testNames,
                                  storedMachines(records, files),
                                  {}});
        EXPECT_EQ(out.str(), nlohmann::ordered_json::parse(out.str()).dump(2)) << count;
    }
}

// Descriptions go out as the program shows them: no padding, '?' for what is not printable.
TEST(RunJson, DescriptionsAreWrittenAsShown) {
    TCpuRecord record = emptyRecord();
    setDescriptionBytes(record.Cpu, std::string("Pentium 4\0\0\0", 12));
    setDescriptionBytes(record.Os, "Linux\x1b[2J");
    std::ostringstream out;
    const std::deque<TCpuRecord> records{record};
    writeComparisonJson(
        out, {"Korvex 2", "1.0b", "c", {}, storedMachines(records, {{"a.dat", 0, 1, {}}}), {}});
    const auto stored = nlohmann::json::parse(out.str())["machines"][0];
    EXPECT_EQ(stored["cpu"], "Pentium 4");
    EXPECT_EQ(stored["os"], "Linux?[2J");
}

// A machine is named by its record's place in the file, which holes of a sparse file may leave
// apart from its place among the records read.
TEST(RunJson, StoredMachinesAreNamedByTheirPlaceInTheFile) {
    const std::deque<TCpuRecord> records(4, emptyRecord());
    const std::vector<ResultFileRecords> files = {
        {"a.dat", 0, 1, {}}, {"sparse.dat", 1, 1, {3}}, {"b.dat", 2, 2, {}}};
    const std::vector<StoredMachine> machines = storedMachines(records, files);
    ASSERT_EQ(machines.size(), 4u);
    const struct {
        std::string name;
        std::uint64_t record;
    } expected[] = {{"a.dat", 0}, {"sparse.dat#4", 3}, {"b.dat#1", 0}, {"b.dat#2", 1}};
    for (std::size_t i = 0; i < machines.size(); ++i) {
        EXPECT_EQ(machines[i].name, expected[i].name);
        EXPECT_EQ(machines[i].record, expected[i].record);
    }
}

// A run failed when both its values are 0; cycles without milliseconds (a run under a
// millisecond) or the other way round is a run like any other in the summaries.
TEST(RunJson, ARunFailedOnlyWhenBothValuesAreZero) {
    const struct {
        std::uint32_t cycles, milliseconds;
        bool failed;
    } cases[] = {{0, 0, true}, {5, 0, false}, {0, 5, false}, {5, 5, false}};
    for (const auto& c : cases) {
        ResultRow cycles{}, milliseconds{};
        cycles.fill(7);
        milliseconds.fill(7);
        cycles[4] = c.cycles;
        milliseconds[4] = c.milliseconds;
        const TestSummary summary = summariseTest(cycles, milliseconds);
        EXPECT_EQ(summary.failedRuns, c.failed ? std::vector<int>{4} : std::vector<int>{})
            << c.cycles << " " << c.milliseconds;
        EXPECT_EQ(summary.bestMilliseconds,
                  c.failed ? std::nullopt : std::optional<std::uint32_t>(c.milliseconds));
    }
}

// With statistics, each machine carries its index, its counts of real and inconclusive tests
// and each test its comparison with the reference; a test without a ratio says null, an
// inconclusive one null with its reason, and the settings name the unit, reference and rule. A
// machine whose report said the quality of its run carries it.
TEST(RunJson, ComparisonCarriesEachMachinesStatistics) {
    std::deque<TCpuRecord> records(2, emptyRecord());
    std::vector<ResultFileRecords> files = {{"a.dat", 0, 2}};
    files[0].coresRecord = 1;
    files[0].quality = RecordQuality{"web1", "EPYC", "rounds", 7, {}, {}, {}};
    files[0].quality->unsteady[5] = true;
    files[0].quality->disturbedCalls[5] = 0b101;
    ComparisonStatistics statistics{BenchUnit::Milliseconds, "a.dat#1", {{}, {}}};
    statistics.machines[1].index = 90.5;
    statistics.machines[1].testsInIndex = 2;
    statistics.machines[1].tests[3] = {.ratio = 1.1,
                                       .pValue = 0.0002,
                                       .adjustedPValue = 0.002,
                                       .estimate = 1.1,
                                       .low = 1.08,
                                       .high = 1.12,
                                       .floor = 0.06,
                                       .verdict = Verdict::Real,
                                       .significant = true};
    statistics.machines[1].tests[5] = {
        .ratio = 1.01, .verdict = Verdict::Inconclusive, .reason = InconclusiveReason::UnsteadyRun};
    std::ostringstream out;
    writeComparisonJson(out, {"Korvex 2", "1.0b", "controller", sampleRun().testNames,
                              storedMachines(records, files), statistics});
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["comparison"]["unit"], "milliseconds");
    EXPECT_EQ(json["comparison"]["reference"], "a.dat#1");
    EXPECT_EQ(json["comparison"]["family"], "holm");
    EXPECT_EQ(json["comparison"]["interval_confidence"], 0.995);
    EXPECT_TRUE(json["machines"][0]["index"].is_null());
    EXPECT_FALSE(json["machines"][0].contains("run_quality"));
    const auto& second = json["machines"][1];
    EXPECT_EQ(second["index"], 90.5);
    EXPECT_EQ(second["tests_in_index"], 2);
    EXPECT_EQ(second["real"], 1);
    EXPECT_EQ(second["inconclusive"], 1);
    const auto& real = second["tests"][3];
    EXPECT_EQ(real["ratio"], 1.1);
    EXPECT_EQ(real["p_value"], 0.0002);
    EXPECT_EQ(real["adjusted_p_value"], 0.002);
    EXPECT_EQ(real["interval"], nlohmann::json::parse("[1.08, 1.12]"));
    EXPECT_EQ(real["floor"], 0.06);
    EXPECT_EQ(real["significant"], true);
    EXPECT_EQ(real["direction"], "slower");
    EXPECT_TRUE(real["reason"].is_null());
    EXPECT_EQ(real["id"], "id-3");
    EXPECT_TRUE(second["tests"][4]["ratio"].is_null());
    EXPECT_EQ(second["tests"][4]["significant"], false);
    const auto& unclear = second["tests"][5];
    EXPECT_TRUE(unclear["significant"].is_null());
    EXPECT_EQ(unclear["reason"], "unsteady-run");
    EXPECT_TRUE(unclear["interval"].is_null());
    const auto& quality = second["run_quality"];
    EXPECT_EQ(quality["host"], "web1");
    EXPECT_EQ(quality["order"], "rounds");
    EXPECT_EQ(quality["seed"], 7);
    EXPECT_EQ(quality["unsteady"], true);
    EXPECT_EQ(quality["unsteady_tests"], nlohmann::json::parse("[5]"));
    EXPECT_EQ(quality["disturbed_calls"][5], 2);
}

}  // namespace
