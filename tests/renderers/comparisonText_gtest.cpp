#include "renderers/comparisonTextUnit.h"

#include <gtest/gtest.h>

#include "support/records.h"

namespace {

TEST(ComparisonText, RowsInWindowOrderWithBarsInCharacters) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("Alpha", halfAndHalf(200, 600)));  // best 200, average 400
    ResultRow failed = halfAndHalf(500, 500);
    failed[7] = 0;
    systems.push_back(testMachine("Beta", failed));  // best 0, average 450: the scale
    TCpuRecord own = makeOwnSystem();
    own.Results[0] = halfAndHalf(100, 500);  // best 100, average 300

    // bars of 9 characters: 9 × value / 450
    EXPECT_EQ(comparisonTextLines(systems, own, 1, BenchUnit::Cycles, 9),
              (std::vector<std::string>{
                  "CPU           FSB  Memory  OS     Value  Bench",
                  "Beta          133  512 МБ  Linux  0      ========= Тест не пройден",
                  "Ваша система                      100    **++++",
                  "Alpha         133  512 МБ  Linux  200    ####====",
              }));
}

TEST(ComparisonText, NeverRunShowsOnlyTheFailureAndLongTextsAreCut) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine(std::string(20, 'x') + std::string(20, 'y'), halfAndHalf(0, 0)));
    const TCpuRecord own = makeOwnSystem();
    const std::vector<std::string> lines = comparisonTextLines(systems, own, 2, BenchUnit::Cycles);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], std::string(20, 'x') + std::string(12, 'y') +
                            "  133  512 МБ  Linux  0      Тест не пройден");
    EXPECT_TRUE(comparisonTextLines(systems, own, 11, BenchUnit::Cycles).empty());
}

TEST(ComparisonText, ControlBytesOfADescriptionArePrintedAsQuestionMarksAndPaddingAsNothing) {
    std::deque<TCpuRecord> systems;
    TCpuRecord hostile = testMachine("\x1b[2JAl\tpha\x7f", halfAndHalf(100, 100));
    hostile.Os.Text[5] = 0;  // NUL padding within the stored length, as a zero-filled fragment has
    hostile.Os.Length = 7;
    systems.push_back(hostile);
    TCpuRecord own = makeOwnSystem();
    own.Results[0] = halfAndHalf(200, 200);
    const std::vector<std::string> lines =
        comparisonTextLines(systems, own, 1, BenchUnit::Cycles, 4);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "?[2JAl?pha?   133  512 МБ  Linux  100    ##");
}

// Stored results alone: no row for a run, each row named by its file, a long name cut at its
// start so that its end still tells the files apart.
TEST(ComparisonText, StoredResultsAreNamedByTheirFiles) {
    std::deque<TCpuRecord> systems;
    systems.push_back(testMachine("Alpha", halfAndHalf(200, 200)));
    systems.push_back(testMachine("Alpha", halfAndHalf(100, 100)));
    const std::vector<std::string> names = {"a.dat", std::string(40, 'x') + "/ёж.dat"};
    EXPECT_EQ(storedComparisonTextLines(systems, names, 1, BenchUnit::Cycles, 4),
              (std::vector<std::string>{
                  "File                              CPU    FSB  Memory  OS     Value  Bench",
                  "…" + std::string(24, 'x') + "/ёж.dat  Alpha  133  512 МБ  Linux  100    ##",
                  "a.dat                             Alpha  133  512 МБ  Linux  200    ####",
              }));
}

}  // namespace

// The machines' runs on every core at once: the smallest figure of the unit first, the failed
// last, machines without such a run left out.
TEST(ComparisonText, CoresRowsByTheMachineFigureFailedLast) {
    const auto run = [](std::optional<std::uint32_t> cycles, std::optional<std::uint32_t> ms,
                        std::optional<double> scaling) {
        return CoresRun{2, {CoresTest{{}, {}, cycles, ms, scaling, ""}}};
    };
    const CoresRun failed = run({}, {}, {}), slow = run(300, 20, 1.5), fast = run(200, 90, 1.96);
    const CoresMachine machines[] = {{"cpus/f.json", "Failing", &failed},
                                     {"cpus/none.dat", "None", nullptr},
                                     {"cpus/slow.dat", "Slow", &slow},
                                     {"Ваша система", "", &fast}};
    EXPECT_EQ(coresComparisonTextLines(machines, 0, BenchUnit::Cycles),
              (std::vector<std::string>{
                  "File           CPU      Cores  Value            Scaling",
                  "Ваша система            2      200              1.96",
                  "cpus/slow.dat  Slow     2      300              1.50",
                  "cpus/f.json    Failing  2      Тест не пройден",
              }));
    EXPECT_EQ(coresComparisonTextLines(machines, 0, BenchUnit::Milliseconds)[1].substr(0, 13),
              "cpus/slow.dat");
    EXPECT_TRUE(coresComparisonTextLines(machines, 1, BenchUnit::Cycles).empty());
}
