// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "testrun/qualityReportUnit.h"

#include <algorithm>
#include <cstdio>

#include "platform/runConditions.h"

namespace {

std::string percent(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", 100 * fraction);
    return text;
}

std::vector<std::string> detectedCauses(const RunConditions& conditions) {
    std::vector<std::string> causes;
    if (conditions.loadAtStart && *conditions.loadAtStart >= kOtherLoadLimit) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "  - другая нагрузка на машину при запуске: средняя загрузка %.2f "
                      "(/proc/loadavg)",
                      *conditions.loadAtStart);
        causes.emplace_back(text);
    }
    for (const std::string& governor : conditions.governors)
        if (governor != "performance")
            causes.push_back("  - регулятор частоты процессора «" + governor +
                             "», а не «performance»");
    if (conditions.hypervisor)
        causes.emplace_back("  - программа работает под гипервизором (виртуальная машина)");
    if (conditions.priorityAsked && !conditions.priorityGranted)
        causes.emplace_back(
            "  - повышенный приоритет запрошен, но не предоставлен (нужны права root или "
            "CAP_SYS_NICE)");
    if (causes.empty())
        causes.emplace_back(
            "  - причин, которые программа умеет распознать, не найдено; повторите запуск");
    return causes;
}

}  // namespace

RunConditions conditionsBeforeRun(bool priorityAsked) {
    RunConditions conditions;
    conditions.loadAtStart = platform::oneMinuteLoadAverage();
    conditions.governors = platform::frequencyGovernors();
    conditions.hypervisor = platform::hypervisorPresent();
    conditions.priorityAsked = priorityAsked;
    return conditions;
}

std::optional<double> runSpread(const ResultRow& cycles) {
    const std::uint32_t best = *std::min_element(cycles.begin(), cycles.end());
    if (best == 0) return std::nullopt;
    // With no value 0 no run failed: the median is that of all ten.
    return *medianOfPassedRuns(cycles, {}) / best - 1;
}

std::vector<std::string> qualityReportLines(TestTable tests, const ResultTable& benchResults,
                                            const RunConditions& conditions) {
    std::vector<std::string> lines = {"Разброс десяти прогонов (медиана / лучший − 1):"};
    std::string unsteadyTests;
    for (int test = 0; test < kTestCount; ++test) {
        const auto spread = runSpread(cycleRow(benchResults, test));
        lines.push_back(std::string(tests[static_cast<std::size_t>(test)].label) + " " +
                        (spread ? percent(*spread) : "нет оценки"));
        if (spread && *spread > kSpreadWarningLimit)
            unsteadyTests += (unsteadyTests.empty() ? "" : ", ") + std::to_string(testNumber(test));
    }
    if (unsteadyTests.empty()) return lines;
    lines.push_back("Внимание: разброс больше " + percent(kSpreadWarningLimit) + " у тестов " +
                    unsteadyTests + ", цифрам этого запуска нельзя вполне доверять. " +
                    "Возможные причины:");
    const std::vector<std::string> causes = detectedCauses(conditions);
    lines.insert(lines.end(), causes.begin(), causes.end());
    return lines;
}
