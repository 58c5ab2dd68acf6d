#pragma once
// Result records for tests: a machine whose test ran in given values, its bytes as a result file
// holds them, and the rows its runs are built from.

#include <cstdint>
#include <string>
#include <vector>

#include "record/cpuRecordUnit.h"

// A machine of processor `cpu`, "133", "512 МБ", "Linux", whose test `test` (1 to 10) ran in the
// given cycle and millisecond values; every other value is 0.
inline TCpuRecord testMachine(const std::string& cpu, const ResultRow& cycles = {},
                              const ResultRow& milliseconds = {}, int test = 1) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, cpu);
    setDescriptionText(record.Fsb, "133");
    setDescriptionText(record.Memory, "512 МБ");
    setDescriptionText(record.Os, "Linux");
    record.Results[2 * (test - 1)] = cycles;
    record.Results[2 * (test - 1) + 1] = milliseconds;
    return record;
}

// Ten runs of `value`.
inline ResultRow runsOf(std::uint32_t value) {
    ResultRow row;
    row.fill(value);
    return row;
}

// Five runs of `first`, then five of `second`.
inline ResultRow halfAndHalf(std::uint32_t first, std::uint32_t second) {
    return {first, first, first, first, first, second, second, second, second, second};
}

// The kRecordSize bytes of `record`, as a result file holds them.
inline std::vector<std::uint8_t> bytesOf(const TCpuRecord& record) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);
    return {bytes, bytes + kRecordSize};
}
