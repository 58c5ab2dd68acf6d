#pragma once
// A stand-in for the system's services in test runs: every call returns at once and is recorded
// in order ("save", "raise", "sleep 1000", "tsc", "emms", ...). The time-stamp counter advances
// by `timeStampStep` during the one-second sleep and the raw clock by `sleptNanoseconds` (the
// sleep's real length), the priority state is kept as the run sets it, and a test may act during
// any sleep.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/sequenceUnit.h"

class FakeSequencePlatform final : public SequencePlatform {
  public:
    std::vector<std::string> calls;
    std::uint64_t timeStampStep = 2'394'000'000;
    std::uint64_t timeStamp = 1'000'000'000'000;
    std::uint64_t sleptNanoseconds = 1'000'000'000;
    std::uint64_t rawNanoseconds = 5'000'000'000;
    platform::PriorityState current{};
    std::function<void(std::uint32_t)> duringSleep;

    void sleepMilliseconds(std::uint32_t milliseconds) override {
        calls.push_back("sleep " + std::to_string(milliseconds));
        if (milliseconds == 1000) {
            timeStamp += timeStampStep;
            rawNanoseconds += sleptNanoseconds;
        }
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
    ClockReading readClocks() override {
        calls.push_back("tsc");
        return {timeStamp, rawNanoseconds};
    }
    void resetMultimediaState() override { calls.push_back("emms"); }
    // The machine lock: what `lockResult` says (taken by default); `overrideAsked` is the last
    // call's wish to go past another user's run.
    MachineLockResult lockResult;
    bool overrideAsked = false;
    int machineLocks = 0;
    int machineReleases = 0;
    MachineLockResult lockMachine(bool overrideOthers) override {
        ++machineLocks;
        overrideAsked = overrideOthers;
        return lockResult;
    }
    void releaseMachine() override { ++machineReleases; }

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
