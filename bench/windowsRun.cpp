// The windows program's figures beside the console's. Rounds of two whole runs without pauses,
// at raised priority, in one process over the same kernel code: one started by "Начать тест"
// in the main window (the run on its own thread, the window thread answering meanwhile), one
// as the console runs it (runTestSequence on the calling thread, ten consecutive calls per
// test); the order of the two alternates from round to round, so both meet the same load.
// Printed per test, in millions of time-stamp cycles: the median over the rounds of each
// side's best, their ratio (windows / console), and each side's spread of round bests
// (largest / smallest), which is the noise the ratio is to be read against; and the longest
// single call of the windows' runs in milliseconds, the time a window thread running the calls
// itself would leave unanswered.
// Usage: windowsRun [ROUNDS] under a display (bench/windowsRun.sh runs it under xvfb-run).

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/runLinesUnit.h"
#include "engine/runResultUnit.h"
#include "engine/testTableUnit.h"
#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"
#include "testrun/mainUnit.h"

namespace {

// The console's side of a run: its lines go nowhere.
class SilentList final : public RunLines {
  public:
    void repaintNow() override {}
    void processPendingMessages() override {}

  private:
    void clearLines() override {}
    void appendLine(const std::string&) override {}
};

struct RunFigures {
    std::vector<std::uint32_t> bestCycles;     // per test
    std::vector<std::uint32_t> longestCallMs;  // per test
};

RunFigures figuresOf(const ResultTable& table) {
    RunFigures figures;
    for (int test = 0; test < kTestCount; ++test) {
        const ResultRow& cycles = table[static_cast<std::size_t>(2 * test)];
        const ResultRow& milliseconds = table[static_cast<std::size_t>(2 * test + 1)];
        figures.bestCycles.push_back(*std::min_element(cycles.begin(), cycles.end()));
        figures.longestCallMs.push_back(
            *std::max_element(milliseconds.begin(), milliseconds.end()));
    }
    return figures;
}

double median(std::vector<std::uint32_t> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double spread(const std::vector<std::uint32_t>& values) {
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    return *least > 0 ? static_cast<double>(*most) / *least : 0;
}

}  // namespace

int main(int argc, char** argv) {
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
    QApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;

    SystemSequencePlatform system;
    ResultTable windowTable{};
    TForm1 window(system, resultFileTests());
    window.setBenchResults(windowTable);
    window.findChild<QCheckBox*>(QStringLiteral("CheckBox2"))->setChecked(false);
    window.show();

    std::vector<RunFigures> windows, console;
    for (int round = 0; round < rounds; ++round) {
        for (int side = 0; side < 2; ++side) {
            if ((side + round) % 2 == 0) {
                QEventLoop finished;
                QObject::connect(&window, &TForm1::resultsMeasured, &finished,
                                 [&finished](bool complete) {
                                     if (complete) finished.quit();
                                 });
                window.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
                finished.exec();
                windows.push_back(figuresOf(windowTable));
            } else {
                SequenceOptions options;
                options.pauseAfterEachTest = false;
                SilentList list;
                RunResult run;
                runTestSequence(options, resultFileTests(), list, system, run);
                console.push_back(figuresOf(recordTable(run.table)));
            }
        }
    }

    std::printf("%d rounds, millions of cycles (median of round bests)\n", rounds);
    std::printf("%-22s %9s %9s %7s %8s %8s %12s\n", "test", "windows", "console", "ratio",
                "spreadW", "spreadC", "longest ms");
    for (int test = 0; test < kTestCount; ++test) {
        std::vector<std::uint32_t> w, c, longest;
        for (const RunFigures& run : windows) {
            w.push_back(run.bestCycles[static_cast<std::size_t>(test)]);
            longest.push_back(run.longestCallMs[static_cast<std::size_t>(test)]);
        }
        for (const RunFigures& run : console)
            c.push_back(run.bestCycles[static_cast<std::size_t>(test)]);
        const double ratio = median(c) > 0 ? median(w) / median(c) : 0;
        std::printf("%-22s %9.1f %9.1f %7.3f %8.3f %8.3f %12u\n", benchmarkTests()[test].id,
                    median(w), median(c), ratio, spread(w), spread(c),
                    *std::max_element(longest.begin(), longest.end()));
    }
    return 0;
}
