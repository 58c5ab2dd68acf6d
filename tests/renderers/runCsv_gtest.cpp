#include "renderers/runCsvUnit.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> rowsOf(const std::string& csv) {
    std::vector<std::string> rows;
    std::istringstream stream(csv);
    for (std::string row; std::getline(stream, row);) rows.push_back(row);
    return rows;
}

TEST(RunCsv, OneRowPerMachineAndTestWithQuotedTextsAndEmptyFiguresForFailedTests) {
    ResultTable results{};
    for (std::size_t run = 0; run < 10; ++run) {
        results[0][run] = static_cast<std::uint32_t>(100 + run);
        results[1][run] = static_cast<std::uint32_t>(40 + run);
    }
    results[0][9] = results[1][9] = 0;  // test 0: the last run failed
    const CsvMachine machines[] = {
        {"web1", {"CPU, \"fast\"", "", "=1+2", "Linux"}, results},
        {"web2", {"", "", "", ""}, results},
    };
    std::vector<TestName> tests;
    for (int test = 0; test < kTestCount; ++test)
        tests.push_back({"id-" + std::to_string(test), "label " + std::to_string(test)});
    std::ostringstream csv;
    writeCsvHeader(csv);
    for (const CsvMachine& machine : machines) writeCsvMachine(csv, tests, machine);
    const std::vector<std::string> rows = rowsOf(csv.str());
    ASSERT_EQ(rows.size(), 1u + 2 * kTestCount);
    EXPECT_EQ(rows[0],
              "machine,cpu,fsb,memory,os,index,id,best_cycles,best_milliseconds,median_cycles,"
              "median_milliseconds,average_cycles,average_milliseconds,failed_runs,cores,scaling");
    EXPECT_EQ(rows[1], "web1,\"CPU, \"\"fast\"\"\",,'=1+2,Linux,0,id-0,,,,,,,1,1,");
    EXPECT_EQ(rows[kTestCount], "web1,\"CPU, \"\"fast\"\"\",,'=1+2,Linux," +
                                    std::to_string(kTestCount - 1) + ",id-" +
                                    std::to_string(kTestCount - 1) + ",,,,,,,10,1,");
    EXPECT_EQ(rows[kTestCount + 2], "web2,,,,,1,id-1,,,,,,,10,1,");
}

// A machine run on every core at once gets a second row per test, its worker count in `cores`.
TEST(RunCsv, CoresRowsFollowTheOneCoreRows) {
    ResultTable results{};
    CoresRun cores{2, std::vector<CoresTest>(kTestCount)};
    cores.tests[0] = {{90, 80}, {40, 44}, 95, 44, 2 * 100.0 / 95, ""};
    const CsvMachine machines[] = {{"web1", {"CPU", "", "", ""}, results, nullptr, &cores}};
    const std::vector<TestName> tests(kTestCount, TestName{"id", "label"});
    std::ostringstream csv;
    writeCsvHeader(csv);
    writeCsvMachine(csv, tests, machines[0]);
    const std::vector<std::string> rows = rowsOf(csv.str());
    ASSERT_EQ(rows.size(), 1u + 2 * kTestCount);
    EXPECT_EQ(rows[1 + kTestCount], "web1,CPU,,,,0,id,95,44,,,,,,2,2.105");
    EXPECT_EQ(rows[2 + kTestCount], "web1,CPU,,,,1,id,,,,,,,,2,");
}

// A text is one field whatever it holds: a line feed or carriage return quotes it, a name's
// bytes that are not UTF-8 become '?', and a description is written as shown.
TEST(RunCsv, EachTextStaysOneFieldOfValidText) {
    const ResultTable results{};
    const struct {
        std::string name, cpu, fields;
    } cases[] = {
        {"a\nb.dat", "", "\"a\nb.dat\","},
        {"a\rb.dat", "", "\"a\rb.dat\","},
        {"\rb.dat", "", "\"'\rb.dat\","},
        {"caf\xe9.dat", "", "caf?.dat,"},
        {"p.dat", std::string("Pentium 4\0\0", 11), "p.dat,Pentium 4,"},
        {"p.dat", "P\n4", "p.dat,P?4,"},
    };
    for (const auto& c : cases) {
        std::ostringstream csv;
        writeCsvMachine(csv, {}, {c.name, {c.cpu, "", "", ""}, results});
        EXPECT_TRUE(csv.str().starts_with(c.fields)) << csv.str().substr(0, 40);
    }
}

// A comparison's rows carry each test's statistics and the machine's index; a machine that was
// not compared leaves them empty.
TEST(RunCsv, ComparisonRowsCarryTheStatistics) {
    const ResultTable results{};
    MachineComparison compared;
    compared.index = 90.9090909;
    compared.tests[0] = {.ratio = 1.1,
                         .pValue = 0.000155655,
                         .adjustedPValue = 0.00155655,
                         .low = 1.08,
                         .high = 1.12,
                         .floor = 0.05,
                         .verdict = Verdict::Real,
                         .significant = true};
    compared.tests[1].floor = 0.12;
    compared.tests[2] = {.ratio = 1.01,
                         .verdict = Verdict::Inconclusive,
                         .reason = InconclusiveReason::FewCleanCalls};
    RecordQuality unsteady;
    unsteady.unsteady[4] = true;
    const CsvMachine machines[] = {
        {"a.dat", {"", "", "", ""}, results, &compared, nullptr, &unsteady},
        {"b.dat", {"", "", "", ""}, results, nullptr},
    };
    const std::vector<TestName> tests(kTestCount);
    std::ostringstream csv;
    writeCsvHeader(csv, BenchUnit::Cycles);
    for (const CsvMachine& machine : machines)
        writeCsvMachine(csv, tests, machine, BenchUnit::Cycles);
    const std::vector<std::string> rows = rowsOf(csv.str());
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_TRUE(rows[0].ends_with(
        ",failed_runs,cores,scaling,unit,ratio,p_value,floor,significant,machine_index,verdict,"
        "reason,adjusted_p_value,interval_low,interval_high,unsteady_run"))
        << rows[0];
    EXPECT_TRUE(rows[1].ends_with(
        ",10,1,,cycles,1.1,0.000155655,0.05,true,90.9091,real,,0.00155655,1.08,1.12,true"))
        << rows[1];
    EXPECT_TRUE(rows[2].ends_with(",10,1,,cycles,,1,0.12,false,90.9091,,,1,,,true")) << rows[2];
    EXPECT_TRUE(rows[3].ends_with(
        ",10,1,,cycles,1.01,1,0.05,,90.9091,inconclusive,few-clean-calls,1,,,true"))
        << rows[3];
    EXPECT_TRUE(rows[11].ends_with(",10,1,,cycles,,,,,,,,,,,")) << rows[11];
}

}  // namespace
