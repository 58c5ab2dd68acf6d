#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// A run's lines, as the main window's list and the console's standard output show them: each
// event of the reporter turned into its line, the lines then going where the list puts them.

#include <string>
#include <vector>

#include "engine/sequenceUnit.h"
#include "record/resultTableUnit.h"

// The lines a finished test adds: "Тест не пройден" when it failed, else its best cycle value
// and its best millisecond value.
std::vector<std::string> testSummaryLines(const TestSummary& summary);

class RunLines : public RunReporter {
  public:
    // Remembers the tests' labels and which of them this processor runs, and clears the lines.
    void runStarted(std::span<const TestEntry> tests) override;
    void clockMeasuring() override { appendLine(kClockMeasurementText); }
    void clockMeasured(std::uint64_t megahertz) override;
    void roundsOrdered(std::uint64_t seed) override { appendLine(roundsOrderLine(seed)); }
    void roundStarted(int round) override { appendLine(roundLine(round)); }
    void testStarted(int test) override;
    void testFinished(int test, const TestSummary& summary) override;
    void pauseStarted() override { appendLine(kPauseText); }
    void runFinished() override { appendLine(kFinishedText); }

  protected:
    virtual void clearLines() = 0;
    virtual void appendLine(const std::string& line) = 0;  // UTF-8

  private:
    std::vector<std::string> labels_;
    std::vector<bool> runsHere_;
};
