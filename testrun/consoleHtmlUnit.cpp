// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/consoleHtmlUnit.h"

#include "testrun/contactUnit.h"
#include "testrun/testTableUnit.h"
#include "testrun/versionUnit.h"

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
    const std::vector<TestName> names = benchmarkTestNames();
    for (std::size_t test = 0; test < names.size(); ++test)
        page.tests.push_back({names[test].id, names[test].label,
                              comparisonCaption(testNumber(static_cast<int>(test)))});
    for (std::size_t index = 0; index < machines.size(); ++index) {
        const TCpuRecord& record = *machines[index].data;
        HtmlMachine machine;
        machine.name = machines[index].name;
        machine.description = recordDescription(record);
        machine.results = &record.Results;
        if (index < comparison.stored.size()) machine.comparison = &comparison.stored[index];
        machine.reference = &record == comparison.reference;
        machine.ownSystem = hasOwnSystemCaption(record);
        page.machines.push_back(std::move(machine));
    }
    if (run != nullptr) {
        HtmlMachine machine;
        machine.name = kOwnSystemCaption;
        machine.description = run->description;
        machine.results = &run->record->Results;
        if (comparison.own) machine.comparison = &*comparison.own;
        machine.reference = run->record == comparison.reference;
        machine.ownSystem = true;
        machine.kernelCode = run->kernelCode;
        machine.warnings = run->warnings;
        machine.cores = run->cores;
        page.machines.push_back(std::move(machine));
    }
    return page;
}
