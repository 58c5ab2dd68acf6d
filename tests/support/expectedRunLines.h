#pragma once
// The lines a whole run of fake kernels lists on FakeSequencePlatform: its clock of 2394 MHz,
// each test's label and best figures (a fake kernel takes far under a million cycles and a
// millisecond), "Тест не пройден" instead for `failedTest`, and a pause line after each test
// but the last when the run pauses.

#include <string>
#include <vector>

#include "engine/sequenceUnit.h"

inline std::vector<std::string> expectedRunLines(TestTable tests, bool withPauses,
                                                 int failedTest = -1) {
    std::vector<std::string> lines = {"Опеределение частоты процессора...",
                                      "Тактовая частота: 2394MHz"};
    for (int test = 0; test < kTestCount; ++test) {
        lines.push_back(tests[test].label);
        if (test == failedTest) {
            lines.push_back("Тест не пройден");
        } else {
            lines.push_back("0 млн. тактов");
            lines.push_back("0 миллисекунд");
        }
        if (withPauses && test < kTestCount - 1) lines.push_back("Простой 5 сек.");
    }
    lines.push_back("Завершено...");
    return lines;
}
