#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// A run, or a comparison of stored results, as one HTML page a person opens anywhere: inline CSS
// and SVG bars, no script, no request outside the file (its content-security policy forbids
// every one). In Russian, like the program, with one English line under the title. It shows the
// machines' indexes as a sorted bar chart with each machine's count of real and inconclusive
// differences, per test the comparison window's bars (best over average) with each machine's
// ratio to the reference and what was decided of it, the figures of runs on every core at once,
// and each machine's descriptions, fingerprint of the kernel code and quality warnings; a
// machine whose run was unsteady is marked so wherever its name stands.
//
// Every text that came from a file or a command line is hostile: it goes through the program's
// printable-text rule (platform::printableText), then is escaped, and is only ever element
// content, never an attribute.

#include <cstddef>
#include <ctime>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "platform/machineDescription.h"
#include "record/comparisonStatsUnit.h"
#include "record/coresResultUnit.h"
#include "record/resultTableUnit.h"
#include "results/cpubenchUnit.h"

// A page lists at most this many machines: those with the highest indexes (the reference always
// among them), and says how many it left out. A thousand keep the page under 3 MB.
inline constexpr std::size_t kHtmlMachineLimit = 1000;

// One machine of the page.
struct HtmlMachine {
    std::string name;  // its result file (StoredMachine::name), or "Ваша система" for the run
    platform::MachineDescription description;
    std::span<const ResultRow> results;  // a record's table, or the run's with all its tests
    const MachineComparison* comparison = nullptr;  // against the reference; null: not compared
    bool reference = false;
    bool ownSystem = false;  // drawn in the running machine's colours
    std::string kernelCode;  // the fingerprint of the kernel code that ran; empty when unknown
    std::vector<std::string> warnings;       // the run's quality report lines; empty when unknown
    const CoresRun* cores = nullptr;         // its run on every core at once, if it had one
    const RecordQuality* quality = nullptr;  // the quality of its run, where its report said it
};

// The comparison's decision on one test as the page words it: "1.103, медленнее" or "0.909,
// быстрее" for a real difference, "≈1.021" within the floor, "?1.048 неясно" when it cannot be
// decided, "эталон" for the reference; empty without a ratio.
std::string decisionText(const TestComparison& test, bool reference);

// What the page says of a machine's run beside its name: "неустойчивый запуск" when its run
// called a test unsteady, "медленная фаза" when a test lies beyond its floor behind its
// machine's best on record (both, comma-separated); empty otherwise.
std::string runMarkText(const RecordQuality* quality, const MachineComparison* comparison);

// A test as the program shows it.
struct HtmlTest {
    std::string id;       // "ham8-encode": the section's anchor
    std::string label;    // the run's line before the test
    std::string caption;  // the comparison window's caption
    // False on the page of a run on a processor that cannot run the test: its section says so.
    bool supported = true;
};

// What the choice of the machines shown looks at.
struct RankedMachine {
    std::optional<double> index;  // against the reference; none when not compared
    bool reference = false;
};

struct HtmlReport {
    std::string program;  // "Korvex 2"
    std::string version;
    std::string host;  // the machine that made the page
    std::time_t made = 0;
    bool comparison = false;  // of stored results alone (--compare), not of a run
    BenchUnit unit = BenchUnit::Cycles;
    std::vector<HtmlTest> tests;  // test k at index k
    std::vector<HtmlMachine> machines;
    std::size_t leftOut = 0;           // machines already left out by the caller (shownMachines)
    std::vector<std::string> folders;  // the folders whose result files were read, as named
};

// `text` as HTML element content: printable (platform::printableText), with & < > " ' escaped.
std::string htmlText(const std::string& text);

// The machines a page shows, as places in `machines` in their given order: all of them up to
// kHtmlMachineLimit; beyond it the highest indexes (machines without an index last, equal indexes
// in the given order), with the reference taking the last place if it is not among them. A
// caller with many machines makes only those into HtmlMachines and counts the rest as leftOut.
std::vector<std::size_t> shownMachines(std::span<const RankedMachine> machines);

// Writes the whole page, UTF-8, section by section; a page without machines names the folders
// it read and says how to add machines, and has no tables.
void writeHtmlReport(std::ostream& out, const HtmlReport& report);
