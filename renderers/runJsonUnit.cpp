// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "renderers/runJsonUnit.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "platform/codePage.h"

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// Adds the four lines of `description` to `object`, under the names both documents give them.
void addDescription(Json& object, const platform::MachineDescription& description) {
    object["cpu"] = platform::printableText(description.processor);
    object["fsb"] = platform::printableText(description.bus);
    object["memory"] = platform::printableText(description.memory);
    object["os"] = platform::printableText(description.operatingSystem);
}

Json pair(const Json& cycles, const Json& milliseconds) {
    return Json{{"cycles", cycles}, {"milliseconds", milliseconds}};
}

Json callJson(const CallExport& call) {
    return Json{
        {"call", call.call},
        {"cycles", call.cycles},
        {"milliseconds", call.milliseconds},
        {"failed", call.failed},
        {"wait_us", call.waitMicroseconds},
        {"steal_us", call.stealMicroseconds},
        {"involuntary_switches", call.involuntarySwitches},
        {"cpu_start", call.processorAtStart},
        {"cpu_end", call.processorAtEnd},
        {"disturbed", call.disturbed},
        {"round", call.round > 0 ? Json(call.round) : Json(nullptr)},
        {"place", call.place > 0 ? Json(call.place) : Json(nullptr)},
    };
}

Json roundsJson(const std::vector<RoundExport>& rounds) {
    Json list = Json::array();
    for (const RoundExport& round : rounds)
        list.push_back({{"round", round.round},
                        {"factor", orNull(round.factor)},
                        {"disturbed", round.disturbed},
                        {"replaced", round.replaced}});
    return list;
}

Json historyJson(const HistoryExport& history) {
    return {{"runs_on_record", history.runsOnRecord},
            {"best_index", orNull(history.bestIndex)},
            {"slower_by", orNull(history.slowerBy)},
            {"runs_per_order", history.runsPerOrder},
            {"rounds_spread", orNull(history.roundsSpread)},
            {"in_order_spread", orNull(history.inOrderSpread)}};
}

// A test's calls, added to its object when the run kept them.
void addTestCalls(Json& test, const TestCallsExport& calls) {
    Json stored = Json::array(), replaced = Json::array();
    for (const CallExport& call : calls.stored) stored.push_back(callJson(call));
    for (const CallExport& call : calls.replaced) replaced.push_back(callJson(call));
    test["calls"] = stored;
    test["replaced_calls"] = replaced;
    test["extra_calls"] = calls.extraCalls;
    test["clean_calls"] = calls.cleanCalls;
}

Json qualityJson(const QualityExport& quality) {
    Json tests = Json::array();
    for (std::size_t test = 0; test < quality.tests.size(); ++test) {
        const TestQualityExport& entry = quality.tests[test];
        tests.push_back({
            {"index", test},
            {"spread", orNull(entry.spread)},
            {"disturbed_calls", entry.disturbedCalls},
            {"waited_calls", entry.waitedCalls},
            {"moved_calls", entry.movedCalls},
            {"wait_us", entry.waitMicroseconds},
            {"line", entry.line.empty() ? Json(nullptr) : Json(entry.line)},
        });
    }
    Json causes = Json::array();
    for (const QualityCauseExport& cause : quality.causes)
        causes.push_back({{"id", cause.id}, {"text", cause.text}});
    return Json{
        {"spread_limit", quality.spreadLimit},
        {"disturbed_share", quality.disturbedShare},
        {"tests", tests},
        {"unsteady_tests", quality.unsteadyTests},
        {"causes", causes},
        {"lines", quality.lines},
    };
}

Json repeatJson(const RepeatExport& repeat) {
    Json tests = Json::array();
    for (std::size_t test = 0; test < repeat.spreads.size(); ++test) {
        Json cycles = Json::array(), milliseconds = Json::array();
        for (const auto& best : repeat.bestCycles[test]) cycles.push_back(orNull(best));
        for (const auto& best : repeat.bestMilliseconds[test]) milliseconds.push_back(orNull(best));
        tests.push_back({{"index", test},
                         {"best", pair(cycles, milliseconds)},
                         {"spread", orNull(repeat.spreads[test])}});
    }
    return Json{{"runs", repeat.runs}, {"tests", tests}};
}

Json testsJson(std::span<const ResultRow> results, const std::vector<TestName>& names,
               const std::vector<TestCallsExport>& calls = {},
               std::span<const TestSummary> summaries = {}) {
    Json tests = Json::array();
    for (int test = 0; test < testsIn(results); ++test) {
        const ResultRow& cycles = cycleRow(results, test);
        const ResultRow& milliseconds = millisecondRow(results, test);
        const TestSummary summary = summaryOf(summaries, results, test);
        const auto index = static_cast<std::size_t>(test);
        if (index < names.size() && !names[index].supported) {
            tests.push_back({{"index", test},
                             {"id", names[index].id},
                             {"label", names[index].label},
                             {"supported", false}});
            continue;
        }
        tests.push_back({
            {"index", test},
            {"id", index < names.size() ? names[index].id : std::string()},
            {"label", index < names.size() ? names[index].label : std::string()},
            {"cycles", cycles},
            {"milliseconds", milliseconds},
            {"failed_runs", summary.failedRuns},
            {"best", pair(orNull(summary.bestCycles), orNull(summary.bestMilliseconds))},
            {"median", pair(orNull(summary.medianCycles), orNull(summary.medianMilliseconds))},
            {"average", pair(orNull(summary.averageCycles), orNull(summary.averageMilliseconds))},
        });
        if (index < calls.size()) addTestCalls(tests.back(), calls[index]);
    }
    return tests;
}

// The run on every core at once: the worker count and per test the machine's figure, the
// scaling (to three decimals) and each worker's best, with the reason when the test failed.
Json coresJson(const CoresRun& cores, const std::vector<TestName>& names) {
    Json tests = Json::array();
    for (std::size_t index = 0; index < cores.tests.size(); ++index) {
        const CoresTest& test = cores.tests[index];
        Json bestCycles = Json::array(), bestMilliseconds = Json::array();
        for (const auto& best : test.workerBestCycles) bestCycles.push_back(orNull(best));
        for (const auto& best : test.workerBestMilliseconds)
            bestMilliseconds.push_back(orNull(best));
        tests.push_back({
            {"index", index},
            {"id", index < names.size() ? names[index].id : std::string()},
            {"machine", pair(orNull(test.machineCycles), orNull(test.machineMilliseconds))},
            {"scaling", test.scaling ? Json(std::round(*test.scaling * 1000) / 1000) : Json()},
            {"worker_best", pair(bestCycles, bestMilliseconds)},
            {"failure", test.failure.empty() ? Json() : Json(test.failure)},
            {"extra_rounds", test.extraRounds},
            {"clean_rounds", test.cleanRounds},
            {"disturbance", test.disturbance.empty() ? Json() : Json(test.disturbance)},
        });
    }
    return {{"count", cores.count}, {"tests", tests}};
}

const char* unitName(BenchUnit unit) {
    return unit == BenchUnit::Cycles ? "cycles" : "milliseconds";
}

// What the comparison's figures mean: the unit, the reference and the thresholds.
Json comparisonSettings(const ComparisonStatistics& statistics) {
    return {{"unit", unitName(statistics.unit)},
            {"reference", statistics.reference},
            {"significance_level", kSignificanceLevel},
            {"family", "holm"},
            {"interval_confidence", kIntervalConfidence},
            {"minimum_clean_calls", kMinimumCleanCalls},
            {"default_floor", kRunToRunFloor}};
}

// Rounded to six significant digits, so that the document stays readable.
Json rounded(const std::optional<double>& value) {
    if (!value) return nullptr;
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *value);
    return std::strtod(text, nullptr);
}

// Adds the machine's index and each of its tests' comparison with the reference to `entry`.
void addMachineComparison(Json& entry, const MachineComparison& comparison) {
    entry["index"] = orNull(comparison.index);
    entry["tests_in_index"] = comparison.testsInIndex;
    entry["real"] = comparison.count(Verdict::Real);
    entry["inconclusive"] = comparison.count(Verdict::Inconclusive);
    for (std::size_t test = 0; test < comparison.tests.size(); ++test) {
        const TestComparison& compared = comparison.tests[test];
        Json& testJson = entry["tests"][test];
        testJson["ratio"] = orNull(compared.ratio);
        testJson["p_value"] = compared.pValue;
        testJson["adjusted_p_value"] = rounded(compared.adjustedPValue);
        testJson["estimate"] = rounded(compared.estimate);
        testJson["interval"] = compared.low
                                   ? Json::array({rounded(compared.low), rounded(compared.high)})
                                   : Json(nullptr);
        testJson["floor"] = compared.floor;
        testJson["clean_calls"] = compared.cleanCalls;
        testJson["reference_clean_calls"] = compared.referenceCleanCalls;
        testJson["behind_its_machine"] = rounded(compared.behind);
        testJson["significant"] =
            compared.verdict == Verdict::Inconclusive ? Json(nullptr) : Json(compared.significant);
        testJson["reason"] = compared.verdict == Verdict::Inconclusive
                                 ? Json(reasonId(compared.reason))
                                 : Json(nullptr);
        testJson["direction"] = !compared.significant ? Json(nullptr)
                                : compared.faster     ? Json("faster")
                                                      : Json("slower");
    }
}

// What the record's run report said of its run's quality.
Json runQualityJson(const RecordQuality& quality) {
    Json unsteady = Json::array(), disturbed = Json::array(), spreads = Json::array();
    for (int test = 0; test < kTestCount; ++test) {
        const auto at = static_cast<std::size_t>(test);
        if (quality.unsteady[at]) unsteady.push_back(test);
        disturbed.push_back(quality.disturbedCount(test));
        spreads.push_back(orNull(quality.spreads[at]));
    }
    return {{"host", platform::printableText(quality.host)},
            {"processor", platform::printableText(quality.processor)},
            {"order", quality.order.empty() ? Json(nullptr) : Json(quality.order)},
            {"seed", orNull(quality.seed)},
            {"unsteady", quality.unsteadyRun()},
            {"unsteady_tests", unsteady},
            {"disturbed_calls", disturbed},
            {"spreads", spreads}};
}

// Texts that are not valid UTF-8 (a description typed in another encoding) are written with
// U+FFFD in place of the bad bytes rather than failing the export.
std::string text(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

// Writes `value` as the whole document would show it `depth` levels in: every line after the
// first indented by two blanks a level (a string in JSON never holds a raw line feed).
void writeIndented(std::ostream& out, const Json& value, std::size_t depth) {
    const std::string dumped = text(value);
    const std::string indent(2 * depth, ' ');
    std::string_view rest = dumped;
    out << indent;
    for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;
         rest.remove_prefix(end + 1))
        out << rest.substr(0, end + 1) << indent;
    out << rest;
}

Json storedMachineJson(const StoredMachine& machine, const std::vector<TestName>& tests) {
    const TCpuRecord& record = *machine.data;
    Json entry = {{"file", machine.file}, {"record", machine.record}};
    addDescription(entry, recordDescription(record));
    entry["tests"] = testsJson(record.Results, tests);
    if (machine.cores) entry["cores"] = coresJson(*machine.cores, tests);
    if (machine.quality) entry["run_quality"] = runQualityJson(*machine.quality);
    return entry;
}

}  // namespace

std::string isoUtcTime(std::time_t time) {
    char text[32] = {};
    const std::tm* parts = std::gmtime(&time);
    if (parts == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", parts) == 0)
        return {};
    return text;
}

std::string runJson(const RunExport& run) {
    const RunMachine& machine = run.machine;
    Json machineJson = Json::object();
    addDescription(machineJson, machine.description);
    machineJson["processor"] = platform::printableText(machine.processor);
    machineJson["logical_processors"] = machine.logicalProcessors;
    machineJson["kernel_release"] = machine.kernelRelease;
    machineJson["frequency_governors"] = machine.frequencyGovernors;
    machineJson["hypervisor"] = machine.hypervisor;
    Json document = {
        {"schema", kJsonSchema},
        {"program", run.program},
        {"version", run.version},
        {"host", run.host},
        {"kernel_code", run.kernelCode},
        {"date", isoUtcTime(run.started)},
        {"machine", machineJson},
        {"clock_mhz", orNull(run.clockMHz)},
        {"order", run.order},
        {"seed", orNull(run.seed)},
        {"rounds", roundsJson(run.rounds)},
        {"tests", testsJson(run.results, run.testNames, run.testCalls, run.summaries)},
    };
    if (run.quality) document["quality"] = qualityJson(*run.quality);
    if (run.repeat) document["repeat"] = repeatJson(*run.repeat);
    if (run.cores) document["cores"] = coresJson(*run.cores, run.testNames);
    if (run.history) document["history"] = historyJson(*run.history);
    return text(document);
}

void writeComparisonJson(std::ostream& out, const ComparisonExport& comparison) {
    const auto& statistics = comparison.statistics;
    Json head = {
        {"schema", kJsonSchema},
        {"program", comparison.program},
        {"version", comparison.version},
        {"host", comparison.host},
    };
    if (statistics) head["comparison"] = comparisonSettings(*statistics);
    const std::string headText = text(head);  // ends in "\n}"
    out << std::string_view(headText).substr(0, headText.size() - 2) << ",\n  \"machines\": [";
    const char* separator = "\n";
    for (std::size_t index = 0; index < comparison.machines.size() && out; ++index) {
        Json entry = storedMachineJson(comparison.machines[index], comparison.testNames);
        if (statistics && index < statistics->machines.size())
            addMachineComparison(entry, statistics->machines[index]);
        out << separator;
        writeIndented(out, entry, 2);
        separator = ",\n";
    }
    out << (comparison.machines.empty() ? "]" : "\n  ]") << "\n}";
}
