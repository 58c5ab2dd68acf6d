#pragma once
// A stand-in for the window's side of test runs: it keeps the listed lines and logs every
// clearing, line, repaint and message-processing point in order, into `events` or into a log it
// shares with the platform and the kernels. It may answer the pauses from a box that flips at
// every pause (pausing at the first), and asks the run to stop once `stopAfter` is the newest
// line.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/sequenceUnit.h"

class FakeRunList final : public SequenceList {
  public:
    explicit FakeRunList(std::vector<std::string>* log = nullptr) : log_(log ? log : &events) {}
    FakeRunList(const FakeRunList&) = delete;
    FakeRunList& operator=(const FakeRunList&) = delete;

    std::vector<std::string> lines;
    std::vector<std::string> events;
    std::vector<bool> optionsAsked;         // the run's option, at each pause
    std::vector<std::uint64_t> clockRates;  // each rate told, in MHz
    bool flipsPauseBox = false;
    std::string stopAfter;

    void clearLines() override {
        lines.clear();
        log_->push_back("clear");
    }
    void appendLine(const std::string& line) override {
        lines.push_back(line);
        log_->push_back(line);
    }
    void noteClockRate(std::uint64_t megahertz) override { clockRates.push_back(megahertz); }
    void repaintNow() override { log_->push_back("repaint"); }
    void processPendingMessages() override { log_->push_back("messages"); }
    bool pauseNow(bool option) override {
        optionsAsked.push_back(option);
        return flipsPauseBox ? optionsAsked.size() % 2 == 1 : option;
    }
    bool stopRequested() override {
        return !stopAfter.empty() && !lines.empty() && lines.back() == stopAfter;
    }

  private:
    std::vector<std::string>* log_;
};
