#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The console's report on how far a run's figures can be trusted, printed after the run's own
// lines: per test the spread of its ten runs; per test the calls that waited for a processor or
// moved to another, and what became of them; and when a spread exceeds 5 % a warning naming the
// causes the program can detect on this machine. Tests are numbered 1 to 10, as the comparison
// numbers them.

#include <array>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/disturbanceReportUnit.h"
#include "engine/roundsUnit.h"
#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"

// Spreads above this are warned about.
inline constexpr double kSpreadWarningLimit = 0.05;
// A 1-minute load average from this up at the start counts as other load: the run itself has
// not started yet, and even half a processor busy elsewhere shares the caches and the memory.
inline constexpr double kOtherLoadLimit = 0.5;

// What the machine says about the run's conditions.
struct RunConditions {
    std::optional<double> loadAtStart;   // 1-minute load average before the run
    std::vector<std::string> governors;  // distinct frequency governors; empty when none exposed
    bool hypervisor = false;
    bool priorityAsked = false;
    bool priorityGranted = true;  // false when a raise was refused any setting it chose
    // Another user's run that held the machine's lock, which this run went past: who held it
    // ("пользователь bob, процесс 4242"); empty when none did.
    std::string otherRun;
};

// Load, governors and hypervisor now, for a run that asks for raised priority or not; read
// before the run starts, so that the run's own load does not count.
RunConditions conditionsBeforeRun(bool priorityAsked);

// One cause of unsteady figures the program found: a fixed id for scripts and its line.
struct QualityCause {
    const char* id;  // "disturbed-calls", "other-run", "load", "governor", "hypervisor",
                     // "priority-refused", "unknown"
    std::string text;
};

// What the report says, as data.
struct QualityReport {
    std::vector<std::optional<double>> spreads;  // per test of the run
    // Per test, when the run kept its calls (the console does).
    std::vector<std::optional<TestDisturbance>> disturbance;
    std::vector<int> unsteadyTests;    // from 0, spread above kSpreadWarningLimit
    std::vector<QualityCause> causes;  // only when some test is unsteady
    std::string otherRun;              // as RunConditions::otherRun
    // Run in rounds: each round's outcome, and whether slow rounds were to be replaced.
    std::optional<std::vector<RoundOutcome>> rounds;
    bool replacing = true;
    // The line on a run far below the best this machine has done (historyLine), when it was.
    std::optional<std::string> historyLine;
    // The line on how far this machine's runs move in each order (steadinessLine), when they do.
    std::optional<std::string> steadinessLine;
};

// The report on a run: `calls` as the run kept them, or none; `rounds` when it ran in rounds.
QualityReport assessRun(std::span<const ResultRow> benchResults, const RunCalls* calls,
                        const RunConditions& conditions, const RunRounds* rounds = nullptr);

// The line on a slow round (UTF-8): "круг 4: все тесты медленнее на 18 %, заменён".
std::string slowRoundLine(const RoundOutcome& round, bool replacing);

// The report's lines (UTF-8): a heading, one line per test with its spread; when calls were kept
// a heading and a line per disturbed test (or one saying none was); in rounds a line per slow
// round (or one saying none was); then, when any spread exceeds kSpreadWarningLimit, the
// warning with the tests concerned and its causes.
std::vector<std::string> qualityReportLines(TestTable tests, const QualityReport& report);

// The report's lines after the spreads: the run another user held the machine with, what
// disturbed the run and the warning with its causes.
std::vector<std::string> qualityWarningLines(const QualityReport& report);

// The report as the JSON gives it: per test its spread and disturbance, the unsteady tests,
// the causes and the lines as printed.
QualityExport exportQuality(TestTable tests, const QualityReport& report);
