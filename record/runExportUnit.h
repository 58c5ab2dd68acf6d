#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// A finished run and a comparison of stored results as every output reads them: the console's
// JSON, CSV and page print these, and run reports are read back into them.

#include <cstdint>
#include <ctime>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/machineDescription.h"
#include "record/comparisonStatsUnit.h"
#include "record/coresResultUnit.h"
#include "record/cpuRecordUnit.h"
#include "record/resultTableUnit.h"
#include "record/runQualityUnit.h"

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
    std::vector<TestSummary> summaries;     // test k's as the run made it; empty: from `results`
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
