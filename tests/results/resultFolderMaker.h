#pragma once
// Builds result records for the window tests: a machine whose first test ran in the given
// cycle and millisecond values.

#include <string>

#include "results/cpuRecordUnit.h"

inline TCpuRecord testMachine(const std::string& cpu, const ResultRow& cycles,
                              const ResultRow& milliseconds, int test = 1) {
    TCpuRecord record = emptyRecord();
    setDescriptionText(record.Cpu, cpu);
    setDescriptionText(record.Fsb, "133");
    setDescriptionText(record.Memory, "512 МБ");
    setDescriptionText(record.Os, "Debian 12");
    record.Results[2 * (test - 1)] = cycles;
    record.Results[2 * (test - 1) + 1] = milliseconds;
    return record;
}

inline ResultRow runsOf(std::uint32_t value) {
    ResultRow row;
    row.fill(value);
    return row;
}
