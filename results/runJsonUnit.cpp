// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "results/runJsonUnit.h"

#include <nlohmann/json.hpp>

#include "platform/codePage.h"

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
Json orNull(const std::optional<T>& value) {
    return value ? Json(*value) : Json(nullptr);
}

// Best, median and average of the values of the runs that did not fail (none when all failed).
void summariseRow(const ResultRow& row, const std::vector<int>& failed,
                  std::optional<std::uint32_t>& best, std::optional<double>& median,
                  std::optional<double>& average) {
    const std::vector<std::uint32_t> passed = passedRunValues(row, failed);
    if (!passed.empty()) best = passed.front();
    median = medianOfPassedRuns(row, failed);
    average = averageOfPassedRuns(row, failed);
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

Json testsJson(const ResultTable& results, const std::vector<TestName>& names) {
    Json tests = Json::array();
    for (int test = 0; test < kTestCount; ++test) {
        const ResultRow& cycles = cycleRow(results, test);
        const ResultRow& milliseconds = millisecondRow(results, test);
        const RowSummary summary = summariseTest(cycles, milliseconds);
        const auto index = static_cast<std::size_t>(test);
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
    }
    return tests;
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
    return entry;
}

}  // namespace

RowSummary summariseTest(const ResultRow& cycles, const ResultRow& milliseconds) {
    RowSummary summary;
    summary.failedRuns = failedRuns(cycles, milliseconds);
    summariseRow(cycles, summary.failedRuns, summary.bestCycles, summary.medianCycles,
                 summary.averageCycles);
    summariseRow(milliseconds, summary.failedRuns, summary.bestMilliseconds,
                 summary.medianMilliseconds, summary.averageMilliseconds);
    return summary;
}

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
    machineJson["logical_processors"] = machine.logicalProcessors;
    machineJson["kernel_release"] = machine.kernelRelease;
    machineJson["frequency_governors"] = machine.frequencyGovernors;
    machineJson["hypervisor"] = machine.hypervisor;
    const Json document = {
        {"schema", kJsonSchema},
        {"program", run.program},
        {"version", run.version},
        {"host", run.host},
        {"kernel_code", run.kernelCode},
        {"date", isoUtcTime(run.started)},
        {"machine", machineJson},
        {"clock_mhz", orNull(run.clockMHz)},
        {"tests", testsJson(run.results, run.testNames)},
    };
    return text(document);
}

std::vector<StoredMachine> storedMachines(const std::deque<TCpuRecord>& records,
                                          const std::vector<ResultFileRecords>& files) {
    std::vector<StoredMachine> machines;
    for (const ResultFileRecords& file : files) {
        const std::string path = file.file.string();
        for (std::size_t record = 0; record < file.count && file.first + record < records.size();
             ++record) {
            // Named by its place in the file, unless it is all the file holds.
            const std::uint64_t place = file.place(record);
            machines.push_back(
                {path, place,
                 file.count == 1 && place == 0 ? path : path + "#" + std::to_string(place + 1),
                 &records[file.first + record]});
        }
    }
    return machines;
}

void writeComparisonJson(std::ostream& out, const ComparisonExport& comparison) {
    const Json head = {
        {"schema", kJsonSchema},
        {"program", comparison.program},
        {"version", comparison.version},
        {"host", comparison.host},
    };
    const std::string headText = text(head);  // ends in "\n}"
    out << std::string_view(headText).substr(0, headText.size() - 2) << ",\n  \"machines\": [";
    const char* separator = "\n";
    for (const StoredMachine& machine : comparison.machines) {
        if (!out) return;
        out << separator;
        writeIndented(out, storedMachineJson(machine, comparison.testNames), 2);
        separator = ",\n";
    }
    out << (comparison.machines.empty() ? "]" : "\n  ]") << "\n}";
}
