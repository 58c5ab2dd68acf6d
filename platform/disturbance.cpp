// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/disturbance.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <span>
#include <string>

#include "platform/systemClock.h"

namespace platform {

namespace {

// The text of a /proc file, at most the buffer's size (the lines read here come first), into
// `buffer`; empty when it cannot be read. /proc files are never FIFOs or devices.
std::string_view readProcText(const char* path, std::span<char> buffer) {
    const int descriptor = ::open(path, O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return {};
    std::size_t length = 0;
    while (length < buffer.size()) {
        const ssize_t count = ::read(descriptor, buffer.data() + length, buffer.size() - length);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        length += static_cast<std::size_t>(count);
    }
    ::close(descriptor);
    return {buffer.data(), length};
}

// The unsigned number at the start of `text` after blanks; moves `text` past it.
std::optional<std::uint64_t> nextNumber(std::string_view& text) {
    const std::size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

}  // namespace

std::optional<std::uint64_t> parseScheduleWait(std::string_view schedstatText) {
    if (!nextNumber(schedstatText)) return std::nullopt;
    return nextNumber(schedstatText);
}

std::optional<std::uint64_t> parseStealTicks(std::string_view statText, int processor) {
    if (processor < 0) return std::nullopt;
    const std::string name = "cpu" + std::to_string(processor) + " ";
    std::size_t line = 0;
    while (line < statText.size() && statText.substr(line, name.size()) != name) {
        const std::size_t next = statText.find('\n', line);
        if (next == std::string_view::npos) return std::nullopt;
        line = next + 1;
    }
    if (line >= statText.size()) return std::nullopt;
    std::string_view values = statText.substr(line + name.size());
    values = values.substr(0, values.find('\n'));
    // user nice system idle iowait irq softirq steal
    std::optional<std::uint64_t> value;
    for (int field = 0; field < 8; ++field)
        if (!(value = nextNumber(values))) return std::nullopt;
    return value;
}

DisturbanceReading readDisturbance() {
    DisturbanceReading reading;
    reading.rawNanoseconds = rawMonotonicNanoseconds();
    std::array<char, 256> schedstat{};
    reading.waitNanoseconds =
        parseScheduleWait(readProcText("/proc/thread-self/schedstat", schedstat)).value_or(0);
    rusage usage{};
    if (getrusage(RUSAGE_THREAD, &usage) == 0)
        reading.involuntarySwitches = static_cast<std::uint64_t>(usage.ru_nivcsw);
    reading.processor = sched_getcpu();
    // The processor lines come before the long interrupt lines: 64 KiB holds hundreds of them.
    static thread_local std::array<char, 65536> stat{};
    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    if (const auto steal = parseStealTicks(readProcText("/proc/stat", stat), reading.processor);
        steal && ticksPerSecond > 0)
        reading.stealNanoseconds =
            *steal * (1'000'000'000u / static_cast<std::uint64_t>(ticksPerSecond));
    return reading;
}

}  // namespace platform
