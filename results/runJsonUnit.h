#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// A finished run, or a comparison of stored results, as JSON for scripts. A run: the program,
// the host, when the run started, the machine, the clock line's rate and per test the twenty
// values of the result table with their summary. A comparison: per stored machine its file,
// its four descriptions and its tests the same way. Both carry the schema version. The field
// names are listed, with an example, in README.md ("JSON export").

#include <cstdint>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/machineDescription.h"
#include "results/comparisonStatsUnit.h"
#include "results/coresResultUnit.h"
#include "results/cpuRecordUnit.h"
#include "results/resultTableUnit.h"
#include "results/runQualityUnit.h"

// The version of the documents' layout: raised whenever a field changes meaning or goes away
// (new fields may appear without a change).
inline constexpr int kJsonSchema = 2;

struct RunMachine {
    platform::MachineDescription description;  // the four lines a result file carries
    // The processor as the machine names itself, whatever description was typed: with the host,
    // what tells runs of one machine apart from others.
    std::string processor;
    int logicalProcessors = 1;
    std::string kernelRelease;
    std::vector<std::string> frequencyGovernors;  // empty when the machine exposes none
    bool hypervisor = false;
};

struct RunExport {
    std::string program;
    std::string version;
    std::string host;         // the host name of the machine that ran
    std::time_t started = 0;  // written as UTC, ISO 8601
    RunMachine machine;
    std::optional<std::uint64_t> clockMHz;  // the clock line's figure; null when there was none
    std::vector<TestName> testNames;        // test k's id and label
    RunTable results;                       // every test of the run, beyond a result file's ten too
    std::string kernelCode;                 // the fingerprint of the kernel code that ran
    std::vector<TestCallsExport> testCalls;  // test k at index k; empty when not kept
    std::optional<QualityExport> quality;
    std::optional<RepeatExport> repeat;    // when the invocation made several runs
    std::optional<CoresRun> cores;         // the run on every core at once, when there was one
    std::string order = "in-order";        // "in-order" or "rounds"
    std::optional<std::uint64_t> seed;     // the rounds' seed; none in order
    std::vector<RoundExport> rounds;       // each round made, in order; empty in order
    std::optional<HistoryExport> history;  // when the run was measured against this machine's
};

// "2026-12-07T10:15:02Z".
std::string isoUtcTime(std::time_t time);

// The whole document, indented by two spaces, UTF-8, without a final newline.
std::string runJson(const RunExport& run);

// One stored machine: a record of a result file.
struct StoredMachine {
    std::string file;          // the result file, within its folder as the folder was named
    std::uint64_t record = 0;  // the record's place in its file, from 0
    // The file, with "#n" (n: the place from 1) unless the record is the file's only one and
    // its first.
    std::string name;
    const TCpuRecord* data = nullptr;
    const CoresRun* cores = nullptr;  // its run on every core at once, where its report had one
    // The kernel code's fingerprint and the quality warnings its report gave; null without one.
    const std::string* kernelCode = nullptr;
    const std::vector<std::string>* warnings = nullptr;
    const RecordQuality* quality = nullptr;  // the quality of its run, where its report said it
};

// The stored machines of `records` as `files` (from loadResultFolder) lists them, in order.
std::vector<StoredMachine> storedMachines(const std::deque<TCpuRecord>& records,
                                          const std::vector<ResultFileRecords>& files);

// Every stored machine against the reference, in the order of the machines.
struct ComparisonStatistics {
    BenchUnit unit = BenchUnit::Cycles;
    std::string reference;  // the reference's name, as StoredMachine::name
    std::vector<MachineComparison> machines;
};

struct ComparisonExport {
    std::string program;
    std::string version;
    std::string host;                 // the host name of the machine that compared
    std::vector<TestName> testNames;  // as in RunExport
    std::vector<StoredMachine> machines;
    std::optional<ComparisonStatistics> statistics;  // none when nothing was compared
};

// Writes the comparison as one document laid out like runJson's, machine by machine, so memory
// holds one machine's part at a time however many there are. Stops early once `out` fails.
void writeComparisonJson(std::ostream& out, const ComparisonExport& comparison);
