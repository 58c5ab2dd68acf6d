// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "console/qualityReportUnit.h"

#include <algorithm>
#include <cstdio>

#include "platform/runConditions.h"

namespace {

std::string percent(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %%", 100 * fraction);
    return text;
}

std::string testList(const std::vector<int>& tests) {
    std::string list;
    for (const int test : tests)
        list += (list.empty() ? "" : ", ") + std::to_string(testNumber(test));
    return list;
}

// The unsteady tests whose stored calls include disturbed ones.
std::vector<int> disturbedUnsteadyTests(const QualityReport& report) {
    std::vector<int> tests;
    for (const int test : report.unsteadyTests) {
        const auto& disturbance = report.disturbance[static_cast<std::size_t>(test)];
        if (disturbance && disturbance->cleanCalls < kRunsPerTest) tests.push_back(test);
    }
    return tests;
}

// The measured disturbance first; the load average lags the run by a minute, so it is a hint.
std::vector<QualityCause> detectedCauses(const QualityReport& report,
                                         const RunConditions& conditions) {
    std::vector<QualityCause> causes;
    if (const std::vector<int> tests = disturbedUnsteadyTests(report); !tests.empty())
        causes.push_back(
            {"disturbed-calls", "  - вызовы тестов " + testList(tests) +
                                    " ждали процессор или переходили на другой: машину занимали "
                                    "другие программы"});
    if (!conditions.otherRun.empty())
        causes.push_back({"other-run", "  - машину занимал запуск другого пользователя (" +
                                           conditions.otherRun + ")"});
    if (conditions.loadAtStart && *conditions.loadAtStart >= kOtherLoadLimit) {
        char text[400];
        std::snprintf(text, sizeof text,
                      "  - другая нагрузка на машину при запуске: средняя загрузка %.2f "
                      "(/proc/loadavg, только подсказка: она запаздывает на минуту)",
                      *conditions.loadAtStart);
        causes.push_back({"load", text});
    }
    for (const std::string& governor : conditions.governors)
        if (governor != "performance")
            causes.push_back({"governor", "  - регулятор частоты процессора «" + governor +
                                              "», а не «performance»"});
    if (conditions.hypervisor)
        causes.push_back(
            {"hypervisor", "  - программа работает под гипервизором (виртуальная машина)"});
    if (conditions.priorityAsked && !conditions.priorityGranted)
        causes.push_back({"priority-refused",
                          "  - повышенный приоритет запрошен, но не предоставлен (нужны права "
                          "root или CAP_SYS_NICE)"});
    if (causes.empty())
        causes.push_back(
            {"unknown",
             "  - причин, которые программа умеет распознать, не найдено; повторите запуск"});
    return causes;
}

std::vector<std::string> disturbanceSection(const QualityReport& report) {
    std::vector<std::string> lines;
    for (std::size_t test = 0; test < report.disturbance.size(); ++test)
        if (const auto& disturbance = report.disturbance[test])
            if (auto line = disturbanceLine(test, *disturbance)) lines.push_back(std::move(*line));
    if (lines.empty())
        return {
            "Помех не замечено: ни один вызов не ждал процессор дольше 1 % своей "
            "длительности и не переходил на другой процессор."};
    lines.insert(lines.begin(),
                 "Помехи (ожидание процессора дольше 1 % длительности вызова, переход на другой "
                 "процессор):");
    return lines;
}

std::vector<std::string> roundsSection(const std::vector<RoundOutcome>& rounds, bool replacing) {
    std::vector<std::string> lines;
    for (const RoundOutcome& round : rounds)
        if (round.disturbed) lines.push_back(slowRoundLine(round, replacing));
    if (lines.empty())
        return {
            "Медленных кругов не замечено: ни в одном круге тесты не шли медленнее своих "
            "лучших вызовов больше чем на " +
            percent(kSlowRoundShare) + " (медиана по тестам круга)."};
    lines.insert(lines.begin(),
                 "Медленные круги (тесты круга медленнее своих лучших вызовов "
                 "больше чем на " +
                     percent(kSlowRoundShare) + ", по медиане):");
    return lines;
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

std::string slowRoundLine(const RoundOutcome& round, bool replacing) {
    char slower[32];
    std::snprintf(slower, sizeof slower, "%.0f %%", 100 * (round.factor.value_or(1) - 1));
    std::string line = "круг " + std::to_string(round.round) + ": все тесты медленнее на " + slower;
    if (round.replaced) return line + ", заменён";
    return line + (replacing ? ", не заменён: чистых кругов не хватило"
                             : ", не заменён (--runs-as-they-come)");
}

QualityReport assessRun(std::span<const ResultRow> benchResults, const RunCalls* calls,
                        const RunConditions& conditions, const RunRounds* rounds) {
    QualityReport report;
    if (rounds != nullptr) report.rounds = rounds->rounds;
    if (calls != nullptr && !calls->empty()) report.replacing = calls->front().replacing;
    const int tests = testsIn(benchResults);
    report.spreads.resize(static_cast<std::size_t>(tests));
    report.disturbance.resize(static_cast<std::size_t>(tests));
    for (int test = 0; test < tests; ++test) {
        const auto index = static_cast<std::size_t>(test);
        report.spreads[index] = summariseTest(benchResults, test).cycleSpread();
        if (calls != nullptr && index < calls->size())
            report.disturbance[index] = summariseDisturbance((*calls)[index]);
        if (report.spreads[index] && *report.spreads[index] > kSpreadWarningLimit)
            report.unsteadyTests.push_back(test);
    }
    if (!report.unsteadyTests.empty()) report.causes = detectedCauses(report, conditions);
    report.otherRun = conditions.otherRun;
    return report;
}

std::vector<std::string> qualityReportLines(TestTable tests, const QualityReport& report) {
    std::vector<std::string> lines = {"Разброс десяти прогонов (медиана / лучший − 1):"};
    for (std::size_t test = 0; test < report.spreads.size() && test < tests.size(); ++test) {
        const auto& spread = report.spreads[test];
        lines.push_back("тест " + std::to_string(testNumber(static_cast<int>(test))) + ", " +
                        tests[test].label + " " + (spread ? percent(*spread) : "нет оценки"));
    }
    const std::vector<std::string> warnings = qualityWarningLines(report);
    lines.insert(lines.end(), warnings.begin(), warnings.end());
    return lines;
}

std::vector<std::string> qualityWarningLines(const QualityReport& report) {
    std::vector<std::string> lines;
    if (!report.otherRun.empty())
        lines.push_back(
            "Внимание: запуск начат, хотя машину занимал запуск другого пользователя (" +
            report.otherRun + "); два запуска сразу искажают цифры друг друга.");
    if (std::any_of(report.disturbance.begin(), report.disturbance.end(),
                    [](const auto& disturbance) { return disturbance.has_value(); })) {
        const std::vector<std::string> section = disturbanceSection(report);
        lines.insert(lines.end(), section.begin(), section.end());
    }
    if (report.rounds) {
        const std::vector<std::string> rounds = roundsSection(*report.rounds, report.replacing);
        lines.insert(lines.end(), rounds.begin(), rounds.end());
    }
    if (report.historyLine) lines.push_back(*report.historyLine);
    if (report.steadinessLine) lines.push_back(*report.steadinessLine);
    if (report.unsteadyTests.empty()) return lines;
    lines.push_back("Внимание: разброс больше " + percent(kSpreadWarningLimit) + " у тестов " +
                    testList(report.unsteadyTests) +
                    ", цифрам этого запуска нельзя вполне доверять. Возможные причины:");
    for (const QualityCause& cause : report.causes) lines.push_back(cause.text);
    return lines;
}

QualityExport exportQuality(TestTable tests, const QualityReport& report) {
    QualityExport exported;
    exported.spreadLimit = kSpreadWarningLimit;
    exported.disturbedShare = kDisturbedShare;
    for (int test = 0; test < static_cast<int>(report.spreads.size()); ++test) {
        const auto index = static_cast<std::size_t>(test);
        TestQualityExport entry;
        entry.spread = report.spreads[index];
        if (const auto& disturbance = report.disturbance[index]) {
            entry.disturbedCalls = disturbance->disturbedOfTen;
            entry.waitedCalls = disturbance->waitedOfTen;
            entry.movedCalls = disturbance->movedOfTen;
            entry.waitMicroseconds = disturbance->waitNanoseconds / 1000u;
            entry.line = disturbanceLine(test, *disturbance).value_or("");
        }
        exported.tests.push_back(entry);
    }
    exported.unsteadyTests = report.unsteadyTests;
    for (const QualityCause& cause : report.causes)
        exported.causes.push_back(
            {cause.id, cause.text.substr(cause.text.find_first_not_of(" -"))});
    exported.lines = qualityReportLines(tests, report);
    return exported;
}
