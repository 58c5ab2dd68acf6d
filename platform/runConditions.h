#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// What the machine says about the conditions a run meets: the load already on it, how its
// processors' clocks are governed, and whether it runs under a hypervisor. Each reading tries
// its documented source and returns an empty value when the machine does not expose it
// (virtual machines often have no cpufreq folder at all); none of them throws.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The 1-minute load average from the text of /proc/loadavg ("0.52 0.58 0.59 1/467 12345");
// empty when the text does not start with a number.
std::optional<double> parseLoadAverage(std::string_view loadavgText);

// The 1-minute load average of this machine, read from /proc/loadavg under `procRoot`.
std::optional<double> oneMinuteLoadAverage(const std::string& procRoot = "/proc");

// The distinct frequency governors of the processors, in the order first met, read from
// cpu*/cpufreq/scaling_governor under `cpuRoot`; empty when no processor exposes one.
std::vector<std::string> frequencyGovernors(const std::string& cpuRoot = "/sys/devices/system/cpu");

// CPUID leaf 1, ECX bit 31: set by hypervisors for their guests.
bool hypervisorPresent();

// Logical processors online (sysconf), at least 1.
int logicalProcessors();

}  // namespace platform
