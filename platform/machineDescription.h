#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// How the machine describes itself, in the four lines a result record carries (processor, bus
// clock, memory, operating system) plus the kernel release. Each line comes from one documented
// source; a source that is missing, unreadable or says nothing usable leaves its line empty,
// never a guess. None of these functions throws.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The four lines that describe a machine, UTF-8: this machine's own, the lines typed or given for
// a result file, or those a stored record holds.
struct MachineDescription {
    std::string processor;        // "AMD Ryzen 7 5800X 8-Core Processor"
    std::string bus;              // "100 МГц"
    std::string memory;           // "16 ГБ"
    std::string operatingSystem;  // "Debian GNU/Linux 12 (bookworm)"

    static constexpr std::size_t kLineCount = 4;
    // Line `index`, 0 to 3, in a result record's order: processor, bus, memory, operating system.
    std::string& line(std::size_t index);
    const std::string& line(std::size_t index) const;

    bool operator==(const MachineDescription&) const = default;
};

// Where the machine's files are read; tests point these at captured copies.
struct MachineSources {
    std::filesystem::path cpuinfo = "/proc/cpuinfo";
    std::filesystem::path meminfo = "/proc/meminfo";
    // os-release(5): the first that exists is read.
    std::array<std::filesystem::path, 2> osRelease = {"/etc/os-release", "/usr/lib/os-release"};
};

// The processor brand string from the registers of CPUID leaves 0x80000002 to 0x80000004, in the
// order EAX, EBX, ECX, EDX of each leaf: the 48 bytes up to the first NUL, with leading and
// trailing blanks removed and runs of blanks inside made one (vendors pad it both ways).
std::string brandStringFromRegisters(const std::array<std::uint32_t, 12>& registers);

// The "model name" of the first processor listed in the text of /proc/cpuinfo, trimmed the same
// way; empty when there is none.
std::string modelNameFromCpuinfo(std::string_view cpuinfoText);

// The bus (reference) clock from ECX of CPUID leaf 0x16, in MHz, as "100 МГц"; empty when the
// leaf reports 0 (unknown).
std::string busClockText(std::uint32_t leaf16Ecx);

// MemTotal of the text of /proc/meminfo as people say it: whole gibibytes rounded up, "16 ГБ"
// (the kernel keeps part of the installed memory for itself, so MemTotal is always a little
// less than what was installed); below 1 GiB, mebibytes rounded up to a multiple of 64,
// "512 МБ". Empty when there is no usable MemTotal line.
std::string memoryTextFromMeminfo(std::string_view meminfoText);

// PRETTY_NAME of the text of an os-release file, its quotes and backslash escapes removed;
// empty when there is none.
std::string prettyNameFromOsRelease(std::string_view osReleaseText);

// The processor brand string from CPUID, or when the processor has no brand leaves the model
// name of /proc/cpuinfo.
std::string processorBrand(const MachineSources& sources = {});

// The bus clock of CPUID leaf 0x16 where the processor has that leaf; empty otherwise.
std::string busClock();

// The four lines of this machine.
MachineDescription describeMachine(const MachineSources& sources = {});

// The running kernel's release (uname -r); empty if it cannot be read.
std::string kernelRelease();

// The host name (`uname -n`, as `hostname` prints it); empty when it cannot be read.
std::string hostName();

}  // namespace platform
