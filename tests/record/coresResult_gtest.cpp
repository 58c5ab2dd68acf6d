#include "record/coresResultUnit.h"

#include <gtest/gtest.h>

namespace {

using platform::WorkerCall;
using Calls = std::vector<std::vector<WorkerCall>>;

TEST(CoresResult, MachineFigureIsTheBestRoundOfTheSlowestWorker) {
    const struct Case {
        const char* what;
        Calls calls;
        std::optional<std::uint32_t> oneCoreBest;
        std::optional<std::uint32_t> machineCycles, machineMilliseconds;
        std::vector<std::optional<std::uint32_t>> workerBestCycles;
        std::optional<double> scaling;
    } cases[] = {
        {"slowest worker of each round, best round",
         {{{100, 40, false}, {90, 41, false}, {95, 39, false}},
          {{120, 45, false}, {130, 42, false}, {80, 44, false}}},
         100,
         95,
         42,  // milliseconds chosen apart from cycles, as the one-core lines choose them
         {90, 80},
         2 * 100.0 / 95},
        {"a round with a failed call does not count, nor does the failed call",
         {{{100, 40, false}, {0, 0, true}}, {{110, 50, false}, {60, 30, false}}},
         100,
         110,
         50,
         {100, 60},
         2 * 100.0 / 110},
        {"no scaling without a one-core best",
         {{{100, 40, false}}, {{110, 50, false}}},
         std::nullopt,
         110,
         50,
         {100, 110},
         std::nullopt},
        {"every round failed: worker bests only",
         {{{0, 0, true}, {70, 30, false}}, {{80, 35, false}, {0, 0, true}}},
         100,
         std::nullopt,
         std::nullopt,
         {70, 80},
         std::nullopt},
        {"a worker whose every call failed has no best",
         {{{0, 0, true}}, {{80, 35, false}}},
         100,
         std::nullopt,
         std::nullopt,
         {std::nullopt, 80},
         std::nullopt},
        {"reports cut short: only whole rounds count",
         {{{100, 40, false}, {50, 20, false}}, {{110, 50, false}}},
         100,
         110,
         50,
         {50, 110},
         2 * 100.0 / 110},
    };
    for (const Case& c : cases) {
        const CoresTest test = summariseWorkerCalls(c.calls, c.oneCoreBest);
        EXPECT_EQ(test.machineCycles, c.machineCycles) << c.what;
        EXPECT_EQ(test.machineMilliseconds, c.machineMilliseconds) << c.what;
        EXPECT_EQ(test.workerBestCycles, c.workerBestCycles) << c.what;
        EXPECT_EQ(test.scaling.has_value(), c.scaling.has_value()) << c.what;
        if (test.scaling && c.scaling) {
            EXPECT_DOUBLE_EQ(*test.scaling, *c.scaling) << c.what;
        }
        EXPECT_TRUE(test.failure.empty()) << c.what;
    }
}

}  // namespace
