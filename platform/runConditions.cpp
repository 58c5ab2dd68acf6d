// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/runConditions.h"

#include <cpuid.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "platform/regularFile.h"

namespace platform {

namespace {

std::optional<std::string> firstLine(const std::filesystem::path& path) {
    const auto text = readSmallFile(path);
    if (!text || text->empty()) return std::nullopt;
    return text->substr(0, text->find('\n'));
}

}  // namespace

std::optional<double> parseLoadAverage(std::string_view loadavgText) {
    double load = 0;
    const auto [end, error] =
        std::from_chars(loadavgText.data(), loadavgText.data() + loadavgText.size(), load);
    if (error != std::errc() || end == loadavgText.data()) return std::nullopt;
    return load;
}

std::optional<double> oneMinuteLoadAverage(const std::string& procRoot) {
    const auto line = firstLine(std::filesystem::path(procRoot) / "loadavg");
    if (!line) return std::nullopt;
    return parseLoadAverage(*line);
}

std::vector<std::string> frequencyGovernors(const std::string& cpuRoot) {
    std::vector<std::filesystem::path> processors;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(cpuRoot, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (name.size() > 3 && name.starts_with("cpu") &&
            std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            processors.push_back(entry->path());
    }
    std::sort(processors.begin(), processors.end());
    std::vector<std::string> governors;
    for (const auto& processor : processors) {
        const auto governor = firstLine(processor / "cpufreq" / "scaling_governor");
        if (governor && !governor->empty() &&
            std::find(governors.begin(), governors.end(), *governor) == governors.end())
            governors.push_back(*governor);
    }
    return governors;
}

bool hypervisorPresent() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    return (ecx & (1u << 31)) != 0;
}

int logicalProcessors() {
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace platform
