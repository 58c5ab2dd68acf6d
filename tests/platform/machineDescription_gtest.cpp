#include "platform/machineDescription.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "support/temporaryFolder.h"

namespace {

using platform::MachineSources;

// A text as a parser reads it and what the parser should make of it.
struct Parsed {
    const char* text;
    const char* expected;
};

// The registers of the brand leaves holding `text`, NUL-padded to 48 bytes.
std::array<std::uint32_t, 12> brandRegisters(std::string_view text) {
    std::array<std::uint32_t, 12> registers{};
    std::memcpy(registers.data(), text.data(), std::min(text.size(), sizeof registers));
    return registers;
}

TEST(MachineDescription, BrandStringIsTrimmedAndStopsAtItsEnd) {
    EXPECT_EQ(platform::brandStringFromRegisters(
                  brandRegisters("       Intel(R) Pentium(R) 4 CPU 2.40GHz")),
              "Intel(R) Pentium(R) 4 CPU 2.40GHz");
    EXPECT_EQ(platform::brandStringFromRegisters(
                  brandRegisters("AMD Ryzen 7 5800X 8-Core Processor             ")),
              "AMD Ryzen 7 5800X 8-Core Processor");
    EXPECT_EQ(platform::brandStringFromRegisters(brandRegisters("")), "");
    // All 48 bytes used, no NUL among them.
    EXPECT_EQ(platform::brandStringFromRegisters(brandRegisters(std::string(48, 'x'))).size(), 48u);
}

TEST(MachineDescription, ModelNameIsTheFirstProcessorsOrEmpty) {
    const std::string cpuinfo =
        "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel\t\t: 142\n"
        "model name\t: Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz\n\n"
        "processor\t: 1\nmodel name\t: Something else\n";
    EXPECT_EQ(platform::modelNameFromCpuinfo(cpuinfo), "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    EXPECT_EQ(platform::modelNameFromCpuinfo("processor\t: 0\nmodel\t\t: 142\n"), "");
    EXPECT_EQ(platform::modelNameFromCpuinfo("model name"), "");
}

TEST(MachineDescription, BusClockIsTheLowHalfOrUnknown) {
    EXPECT_EQ(platform::busClockText(100), "100 МГц");
    EXPECT_EQ(platform::busClockText(0xABCD0000u), "");
}

TEST(MachineDescription, MemoryIsRoundedUpTheWayPeopleSayIt) {
    const Parsed cases[] = {
        {"MemTotal:       16293672 kB\nMemFree: 1 kB\n", "16 ГБ"},  // 15.5 GiB
        {"MemFree:  1 kB\nMemTotal: 24683784 kB\n", "24 ГБ"},       // not the first line
        {"MemTotal: 1048576 kB\n", "1 ГБ"},                         // exactly 1 GiB
        {"MemTotal: 496000 kB\n", "512 МБ"},                        // below 1 GiB
        {"MemTotal: 0 kB\n", ""},
        {"MemTotal: lots\n", ""},
        {"MemFree: 1 kB\n", ""},
        {"", ""},
    };
    for (const Parsed& c : cases)
        EXPECT_EQ(platform::memoryTextFromMeminfo(c.text), c.expected) << c.text;
}

TEST(MachineDescription, PrettyNameIsUnquotedAndUnescaped) {
    const Parsed cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"PRETTY_NAME='Fedora Linux 39'\n", "Fedora Linux 39"},
        {"PRETTY_NAME=Arch\\ Linux\n", "Arch Linux"},
        {"PRETTY_NAME=\"My \\\"quoted\\\" OS\"\n", "My \"quoted\" OS"},
        {"# PRETTY_NAME=\"commented\"\nNAME=Linux\n", ""},
        {"PRETTY_NAME=\"unterminated", "unterminated"},
        {"", ""},
    };
    for (const Parsed& c : cases)
        EXPECT_EQ(platform::prettyNameFromOsRelease(c.text), c.expected) << c.text;
}

TEST(MachineDescription, FilesThatCannotBeReadLeaveTheirLinesEmpty) {
    TemporaryFolder folder;
    const std::filesystem::path root = folder.path();
    ASSERT_EQ(mkfifo((root / "os-release").c_str(), 0600), 0);  // never opened, never waited on
    std::ofstream(root / "fallback-os-release") << "PRETTY_NAME=\"not read\"\n";
    MachineSources sources;
    sources.meminfo = root / "missing";
    sources.cpuinfo = root / "missing";
    sources.osRelease = {root / "os-release", root / "fallback-os-release"};
    const platform::MachineDescription machine = platform::describeMachine(sources);
    EXPECT_EQ(machine.memory, "");
    EXPECT_EQ(machine.operatingSystem, "");
}

TEST(MachineDescription, OsReleaseFallsBackWhenTheFirstIsMissing) {
    TemporaryFolder folder;
    const std::filesystem::path root = folder.path();
    std::ofstream(root / "meminfo") << "MemTotal: 8000000 kB\n";
    std::ofstream(root / "usr-os-release") << "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n";
    MachineSources sources;
    sources.meminfo = root / "meminfo";
    sources.osRelease = {root / "missing", root / "usr-os-release"};
    const platform::MachineDescription machine = platform::describeMachine(sources);
    EXPECT_EQ(machine.memory, "8 ГБ");
    EXPECT_EQ(machine.operatingSystem, "Debian GNU/Linux 12 (bookworm)");
}

}  // namespace
