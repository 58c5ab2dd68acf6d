// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleComparisonUnit.h"

#include <algorithm>
#include <iterator>

#include "console/standardOutputUnit.h"
#include "engine/testTableUnit.h"
#include "platform/codePage.h"
#include "platform/regularFile.h"
#include "record/runReportUnit.h"

bool readBaseline(const ConsoleOptions& options, Baseline& baseline, std::ostream& err) {
    if (!options.baselineFile) return true;
    const std::filesystem::path& file = *options.baselineFile;
    std::string why;
    if (isRunReportName(file.filename().string())) {
        const std::vector<TestName> tests = benchmarkTestNames();
        if (const std::optional<RunReport> report = readRunReport(file, tests, why)) {
            baseline.records.push_back(report->record);
            baseline.file = {file, 0, 1};
            return true;
        }
    } else {
        const std::error_code error = loadFirstRealRecord(file, baseline.records, baseline.file);
        if (!error && !baseline.records.empty()) return true;
        why = error ? error.message() : "it holds no record (none that is not a hole or all zero)";
    }
    err << kConsoleMessagePrefix << "cannot read baseline "
        << platform::printableText(file.string()) << ": " << platform::printableText(why)
        << std::endl;
    return false;
}

std::size_t addBaseline(Baseline& baseline, std::deque<TCpuRecord>& records,
                        std::vector<ResultFileRecords>& files) {
    const std::uint64_t place = baseline.file.place(0);
    for (const ResultFileRecords& file : files) {
        std::error_code error;
        if (!std::filesystem::equivalent(file.file, baseline.file.file, error) || error) continue;
        for (std::size_t record = 0; record < file.count; ++record)
            if (file.place(record) == place) return file.first + record;
    }
    const std::size_t first = records.size();
    records.push_back(baseline.records.front());
    baseline.file.first = first;
    files.push_back(std::move(baseline.file));
    baseline.records.clear();
    return first;
}

RowRatioText ConsoleComparison::ratioText(int test) const {
    return [this, test](const TCpuRecord* record) -> std::string {
        const MachineComparison* machine = nullptr;
        if (record == ownRow && own) machine = &*own;
        if (const auto found = storedIndex.find(record); found != storedIndex.end())
            machine = &stored[found->second];
        if (machine == nullptr) return {};
        return ratioCellText(machine->tests[static_cast<std::size_t>(test)], record == reference);
    };
}

ConsoleComparison compareWithReference(const std::deque<TCpuRecord>& records,
                                       const std::vector<ResultFileRecords>& files,
                                       const TCpuRecord* ownSystem,
                                       std::optional<std::size_t> referenceIndex, BenchUnit unit,
                                       const MeasuredFloors& ownFloors,
                                       const RecordQuality* ownQuality) {
    ConsoleComparison comparison;
    comparison.unit = unit;
    const std::vector<MeasuredFloors> floors = repeatedRunFloors(records, files, unit);
    comparison.storedQuality.assign(records.size(), nullptr);
    for (const ResultFileRecords& file : files)
        if (file.quality && file.first + file.coresRecord < records.size())
            comparison.storedQuality[file.first + file.coresRecord] = &*file.quality;
    // The runs whose reports name their machine, the running one last.
    std::vector<MachineRun> runs;
    for (std::size_t index = 0; index < records.size(); ++index)
        if (comparison.storedQuality[index] != nullptr)
            runs.push_back(
                {index, &records[index].Results, comparison.storedQuality[index], &floors[index]});
    if (ownSystem != nullptr && ownQuality != nullptr)
        runs.push_back({records.size(), &ownSystem->Results, ownQuality, &ownFloors});
    const auto behind = behindTheirMachines(runs, unit);
    const auto compared = [&](std::size_t index) {
        const bool own = index == records.size();
        ComparedMachine machine{own ? &ownSystem->Results : &records[index].Results,
                                own ? ownFloors : floors[index],
                                own ? ownQuality : comparison.storedQuality[index],
                                {}};
        if (const auto found = behind.find(index); found != behind.end())
            machine.behind = found->second;
        return machine;
    };
    if (referenceIndex && *referenceIndex < records.size()) {
        comparison.reference = &records[*referenceIndex];
    } else {
        comparison.reference = ownSystem;
        referenceIndex = records.size();
    }
    if (comparison.reference == nullptr) return comparison;
    const ComparedMachine reference = compared(*referenceIndex);
    comparison.stored.reserve(records.size());
    for (std::size_t index = 0; index < records.size(); ++index)
        comparison.stored.push_back(compareMachine(compared(index), reference, unit));
    if (ownSystem != nullptr)
        comparison.own = compareMachine(compared(records.size()), reference, unit);
    comparison.ownRow = ownSystem;
    comparison.ownQuality = ownQuality;
    for (std::size_t index = 0; index < records.size(); ++index)
        comparison.storedIndex.emplace(&records[index], index);
    return comparison;
}

std::vector<std::string> consoleSummaryLines(const ConsoleComparison& comparison,
                                             const std::deque<TCpuRecord>& records,
                                             const std::vector<std::string>& names,
                                             const TCpuRecord* ownSystem) {
    std::vector<SummaryMachine> machines;
    for (std::size_t index = 0; index < records.size() && index < comparison.stored.size(); ++index)
        machines.push_back(
            {index < names.size() ? names[index] : std::string(),
             descriptionText(records[index].Cpu), &comparison.stored[index],
             &records[index] == comparison.reference,
             index < comparison.storedQuality.size() ? comparison.storedQuality[index] : nullptr});
    if (ownSystem != nullptr && comparison.own)
        machines.push_back({kOwnSystemCaption, std::string(), &*comparison.own,
                            ownSystem == comparison.reference, comparison.ownQuality});
    return comparisonSummaryLines(machines, comparison.unit);
}

std::vector<std::string> coresComparisonLines(const std::deque<TCpuRecord>& records,
                                              const std::vector<ResultFileRecords>& files,
                                              const CoresRun* ownCores, BenchUnit unit) {
    std::vector<ResultFileRecords> withCores;
    std::copy_if(files.begin(), files.end(), std::back_inserter(withCores),
                 [](const ResultFileRecords& file) { return file.cores.has_value(); });
    std::vector<CoresMachine> machines;
    for (const StoredMachine& machine : storedMachines(records, withCores))
        if (machine.cores != nullptr)
            machines.push_back({machine.name, descriptionText(machine.data->Cpu), machine.cores});
    if (ownCores != nullptr) machines.push_back({kOwnSystemCaption, std::string(), ownCores});
    if (machines.empty()) return {};
    std::vector<std::string> lines{"", "Все ядра сразу"};
    for (int test = 0; test < kTestCount; ++test) {
        lines.emplace_back();
        lines.emplace_back(comparisonCaption(testNumber(test)));
        for (std::string& line : coresComparisonTextLines(machines, test, unit))
            lines.push_back(std::move(line));
    }
    return lines;
}
