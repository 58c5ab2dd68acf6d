// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.

#include "engine/disturbanceReportUnit.h"

#include <algorithm>
#include <cstdio>

namespace {

// The Russian form of a noun or verb after the count n: one, few (2 to 4) or many.
const char* countForm(int n, const char* one, const char* few, const char* many) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (last == 1 && lastTwo != 11) return one;
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) return few;
    return many;
}

std::string callCount(int n) {
    return std::to_string(n) + " " + countForm(n, "вызов", "вызова", "вызовов");
}

std::string milliseconds(std::uint64_t nanoseconds) {
    char text[32];
    const double value = static_cast<double>(nanoseconds) / 1e6;
    std::snprintf(text, sizeof text, value < 10 ? "%.1f мс" : "%.0f мс", value);
    return text;
}

std::string outcome(const TestDisturbance& disturbance) {
    if (disturbance.failed) return ", не заменены: тест не пройден";
    if (!disturbance.replacing) return ", не заменены (--runs-as-they-come)";
    if (disturbance.cleanCalls >= kRunsPerTest) {
        if (disturbance.extraCalls == disturbance.disturbedOfTen) return ", заменены";
        return ", заменены (дополнительных вызовов: " + std::to_string(disturbance.extraCalls) +
               ")";
    }
    return "; чистых вызовов только " + std::to_string(disturbance.cleanCalls) + " из 10 после " +
           std::to_string(disturbance.extraCalls) +
           " дополнительных, цифрам теста нельзя вполне доверять";
}

}  // namespace

TestDisturbance summariseDisturbance(const TestCalls& calls) {
    TestDisturbance summary;
    const std::size_t firstTen = std::min<std::size_t>(calls.made.size(), kRunsPerTest);
    for (std::size_t call = 0; call < calls.made.size(); ++call) {
        const TimedCall& made = calls.made[call];
        summary.failed = summary.failed || made.failed;
        // A slow round is the round's to report (qualityReportLines), not each of its tests'.
        if (call >= firstTen || !(made.disturbance.waited() || made.disturbance.moved())) continue;
        ++summary.disturbedOfTen;
        if (made.disturbance.waited()) ++summary.waitedOfTen;
        if (made.disturbance.moved()) ++summary.movedOfTen;
        summary.waitNanoseconds +=
            made.disturbance.waitNanoseconds + made.disturbance.stealNanoseconds;
    }
    summary.extraCalls = std::max(calls.extraCalls(), 0);
    summary.cleanCalls = calls.cleanCalls();
    summary.replacing = calls.replacing;
    return summary;
}

TestCallsExport exportCalls(const TestCalls& calls) {
    TestCallsExport exported;
    for (std::size_t call = 0; call < calls.made.size(); ++call) {
        const TimedCall& made = calls.made[call];
        const CallDisturbance& disturbance = made.disturbance;
        const CallExport entry{call,
                               made.cycles,
                               made.milliseconds,
                               made.failed,
                               disturbance.waitNanoseconds / 1000u,
                               disturbance.stealNanoseconds / 1000u,
                               disturbance.involuntarySwitches,
                               disturbance.processorAtStart,
                               disturbance.processorAtEnd,
                               disturbance.disturbed(),
                               made.round,
                               made.place};
        const bool stored =
            std::find(calls.stored.begin(), calls.stored.end(), call) != calls.stored.end();
        (stored ? exported.stored : exported.replaced).push_back(entry);
    }
    exported.extraCalls = std::max(calls.extraCalls(), 0);
    exported.cleanCalls = calls.cleanCalls();
    return exported;
}

std::vector<TestCallsExport> exportRunCalls(const RunCalls& calls) {
    std::vector<TestCallsExport> exported;
    for (const TestCalls& test : calls) exported.push_back(exportCalls(test));
    return exported;
}

std::optional<std::string> disturbanceLine(int test, const TestDisturbance& disturbance,
                                           std::string_view scope) {
    if (disturbance.disturbedOfTen == 0) return std::nullopt;
    std::string line = "тест " + std::to_string(testNumber(test));
    if (!scope.empty()) line.append(", ").append(scope);
    line += ": ";
    if (disturbance.waitedOfTen > 0)
        line += callCount(disturbance.waitedOfTen) + " из 10 " +
                countForm(disturbance.waitedOfTen, "ждал", "ждали", "ждали") +
                " процессор (всего " + milliseconds(disturbance.waitNanoseconds) + ")";
    if (disturbance.waitedOfTen > 0 && disturbance.movedOfTen > 0) line += ", ";
    if (disturbance.movedOfTen > 0)
        line += callCount(disturbance.movedOfTen) + " из 10 " +
                countForm(disturbance.movedOfTen, "перешёл", "перешли", "перешли") +
                " на другой процессор";
    return line + outcome(disturbance);
}
