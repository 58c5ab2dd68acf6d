// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/consoleHtmlUnit.h"

#include "console/contactUnit.h"
#include "console/versionUnit.h"
#include "engine/testTableUnit.h"

namespace {

// The statistics of the page's machine `index`: one of the `stored` machines (some of which
// memory may have left without statistics), or the run after them.
const MachineComparison* machineComparison(const ConsoleComparison& comparison, std::size_t stored,
                                           std::size_t index) {
    if (index >= stored) return comparison.own ? &*comparison.own : nullptr;
    return index < comparison.stored.size() ? &comparison.stored[index] : nullptr;
}

}  // namespace

HtmlReport consolePage(const ConsoleComparison& comparison,
                       const std::vector<StoredMachine>& machines, const PageRun* run,
                       std::time_t made) {
    HtmlReport page;
    page.program = kProductTitle;
    page.version = programVersion();
    page.host = platform::hostName();
    page.made = made;
    page.comparison = run == nullptr;
    page.unit = comparison.unit;
    // A stored machine's figures say what its processor ran; the run's, what this one can run.
    for (const TestEntry& test : benchmarkTests())
        page.tests.push_back(
            {test.id, test.label, test.caption, run == nullptr || test.runsHere()});
    // Only the machines shown are made into the page's, so a page over a million records costs
    // little more memory than one over a thousand.
    const std::size_t count = machines.size() + (run != nullptr ? 1 : 0);
    std::vector<RankedMachine> ranked;
    ranked.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        const MachineComparison* compared = machineComparison(comparison, machines.size(), index);
        ranked.push_back({compared ? compared->index : std::nullopt,
                          index < machines.size() ? machines[index].data == comparison.reference
                                                  : run->record == comparison.reference});
    }
    const std::vector<std::size_t> shown = shownMachines(ranked);
    page.leftOut = count - shown.size();
    for (const std::size_t index : shown) {
        HtmlMachine machine;
        machine.comparison = machineComparison(comparison, machines.size(), index);
        machine.reference = ranked[index].reference;
        if (index < machines.size()) {
            const TCpuRecord& record = *machines[index].data;
            machine.name = machines[index].name;
            machine.description = recordDescription(record);
            machine.results = record.Results;
            machine.ownSystem = hasOwnSystemCaption(record);
            machine.cores = machines[index].cores;
            if (machines[index].kernelCode) machine.kernelCode = *machines[index].kernelCode;
            if (machines[index].warnings) machine.warnings = *machines[index].warnings;
            machine.quality = machines[index].quality;
        } else {
            machine.name = kOwnSystemCaption;
            machine.description = run->description;
            machine.results = run->results;
            machine.ownSystem = true;
            machine.kernelCode = run->kernelCode;
            machine.warnings = run->warnings;
            machine.cores = run->cores;
            machine.quality = run->quality;
        }
        page.machines.push_back(std::move(machine));
    }
    return page;
}
