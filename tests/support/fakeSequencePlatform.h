#pragma once
// A stand-in for the system's services in test runs: every call returns at once and is recorded
// in order ("save", "raise", "sleep 1000", "tsc", "emms", ...). The time-stamp counter advances
// by `timeStampStep` during the one-second sleep, the priority state is kept as the run sets it,
// and a test may act during any sleep.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "testrun/sequenceUnit.h"

class FakeSequencePlatform final : public SequencePlatform {
  public:
    std::vector<std::string> calls;
    std::uint64_t timeStampStep = 2'394'000'000;
    std::uint64_t timeStamp = 1'000'000'000'000;
    platform::PriorityState current{};
    std::function<void(std::uint32_t)> duringSleep;

    void sleepMilliseconds(std::uint32_t milliseconds) override {
        calls.push_back("sleep " + std::to_string(milliseconds));
        if (milliseconds == 1000) timeStamp += timeStampStep;
        if (duringSleep) duringSleep(milliseconds);
    }
    platform::PriorityState savePriority() override {
        calls.push_back("save");
        return current;
    }
    void raisePriority() override {
        calls.push_back("raise");
        current = {-20, 1, 99};
    }
    void restorePriority(const platform::PriorityState& saved) override {
        calls.push_back("restore");
        current = saved;
    }
    std::uint64_t readTimeStampCounter() override {
        calls.push_back("tsc");
        return timeStamp;
    }
    void resetMultimediaState() override { calls.push_back("emms"); }

    // How often `call` was made.
    int count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
};

// A kernel that does nothing and succeeds.
inline std::int32_t passingKernel(std::uint8_t* const*, std::uint8_t* const*,
                                  std::uint8_t* const*) {
    return 0;
}
