// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/machineDescription.h"

#include <cpuid.h>
#include <sys/utsname.h>

#include <charconv>
#include <cstring>
#include <iterator>
#include <system_error>

#include "platform/regularFile.h"

namespace platform {

namespace {

constexpr std::array<std::string MachineDescription::*, MachineDescription::kLineCount> kLines = {
    &MachineDescription::processor, &MachineDescription::bus, &MachineDescription::memory,
    &MachineDescription::operatingSystem};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Leading and trailing blanks removed, each run of blanks inside made one space.
std::string collapseBlanks(std::string_view text) {
    std::string result;
    bool pendingSpace = false;
    for (char c : text) {
        if (isBlank(c)) {
            pendingSpace = !result.empty();
            continue;
        }
        if (pendingSpace) result += ' ';
        pendingSpace = false;
        result += c;
    }
    return result;
}

// Calls `visit(line)` for each line of `text` until it returns true.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (visit(line) || end == std::string_view::npos) return;
        text.remove_prefix(end + 1);
    }
}

// The value of "key : value" lines (/proc/cpuinfo, /proc/meminfo) when the line's key is `key`.
std::optional<std::string_view> colonValue(std::string_view line, std::string_view key) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
    if (name != key) return std::nullopt;
    return line.substr(colon + 1);
}

// An os-release value: quoted with " or ' or bare; inside double quotes and bare, a backslash
// takes the next character literally.
std::string unquoteOsReleaseValue(std::string_view value) {
    while (!value.empty() && isBlank(value.back())) value.remove_suffix(1);
    char quote = 0;
    if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
        quote = value.front();
        value.remove_prefix(1);
    }
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quote != 0 && c == quote) break;
        if (c == '\\' && quote != '\'' && i + 1 < value.size()) {
            result += value[++i];
            continue;
        }
        result += c;
    }
    return result;
}

}  // namespace

std::string& MachineDescription::line(std::size_t index) { return this->*kLines[index]; }

const std::string& MachineDescription::line(std::size_t index) const {
    return this->*kLines[index];
}

std::string brandStringFromRegisters(const std::array<std::uint32_t, 12>& registers) {
    char bytes[sizeof registers + 1] = {};
    std::memcpy(bytes, registers.data(), sizeof registers);
    return collapseBlanks(std::string_view(bytes, std::strlen(bytes)));
}

std::string modelNameFromCpuinfo(std::string_view cpuinfoText) {
    std::string model;
    forEachLine(cpuinfoText, [&](std::string_view line) {
        const auto value = colonValue(line, "model name");
        if (value) model = collapseBlanks(*value);
        return value.has_value();
    });
    return model;
}

std::string busClockText(std::uint32_t leaf16Ecx) {
    const std::uint32_t megahertz = leaf16Ecx & 0xFFFFu;
    if (megahertz == 0) return {};
    return std::to_string(megahertz) + " МГц";
}

std::string memoryTextFromMeminfo(std::string_view meminfoText) {
    std::optional<std::uint64_t> kibibytes;
    forEachLine(meminfoText, [&](std::string_view line) {
        const auto value = colonValue(line, "MemTotal");
        if (!value) return false;
        std::string_view digits = *value;
        while (!digits.empty() && isBlank(digits.front())) digits.remove_prefix(1);
        std::uint64_t number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        if (error == std::errc() && end != digits.data() && number > 0) kibibytes = number;
        return true;
    });
    if (!kibibytes) return {};
    constexpr std::uint64_t kKibPerGib = 1u << 20;
    if (*kibibytes >= kKibPerGib)
        return std::to_string((*kibibytes + kKibPerGib - 1) / kKibPerGib) + " ГБ";
    constexpr std::uint64_t kKibPerStep = 64u << 10;
    return std::to_string((*kibibytes + kKibPerStep - 1) / kKibPerStep * 64) + " МБ";
}

std::string prettyNameFromOsRelease(std::string_view osReleaseText) {
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::string name;
    // Read as the shell would: the last assignment wins.
    forEachLine(osReleaseText, [&](std::string_view line) {
        while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
        if (line.starts_with(kKey))
            name = collapseBlanks(unquoteOsReleaseValue(line.substr(kKey.size())));
        return false;
    });
    return name;
}

std::string processorBrand(const MachineSources& sources) {
    std::array<std::uint32_t, 12> registers{};
    // clang's cpuid.h returns the highest leaf as int, GCC's as unsigned int.
    bool haveLeaves =
        static_cast<unsigned int>(__get_cpuid_max(0x80000000u, nullptr)) >= 0x80000004u;
    for (unsigned int leaf = 0; haveLeaves && leaf < 3; ++leaf) {
        std::uint32_t* slot = &registers[4 * leaf];
        haveLeaves = __get_cpuid(0x80000002u + leaf, &slot[0], &slot[1], &slot[2], &slot[3]) != 0;
    }
    std::string brand = haveLeaves ? brandStringFromRegisters(registers) : std::string();
    if (!brand.empty()) return brand;
    const auto cpuinfo = readSmallFile(sources.cpuinfo);
    return cpuinfo ? modelNameFromCpuinfo(*cpuinfo) : std::string();
}

std::string busClock() {
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    // __get_cpuid checks the highest basic leaf first: asked for a leaf beyond it, some
    // processors answer with the data of their highest leaf instead of zeros.
    if (__get_cpuid(0x16, &eax, &ebx, &ecx, &edx) == 0) return {};
    return busClockText(ecx);
}

MachineDescription describeMachine(const MachineSources& sources) {
    MachineDescription machine;
    machine.processor = processorBrand(sources);
    machine.bus = busClock();
    if (const auto meminfo = readSmallFile(sources.meminfo))
        machine.memory = memoryTextFromMeminfo(*meminfo);
    for (const auto& path : sources.osRelease) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) continue;
        if (const auto osRelease = readSmallFile(path))
            machine.operatingSystem = prettyNameFromOsRelease(*osRelease);
        break;
    }
    return machine;
}

std::string kernelRelease() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.release;
}

std::string hostName() {
    utsname names{};
    if (uname(&names) != 0) return {};
    return names.nodename;
}

}  // namespace platform
