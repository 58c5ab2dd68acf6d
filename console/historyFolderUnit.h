#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// This machine's recent runs, kept by the console as their JSON run reports in the folder
// "history" of its state folder ($XDG_STATE_HOME/korvex2/history, else
// $HOME/.local/state/korvex2/history; see fallbackFolder), so that each run can be measured
// against the best this machine has done (record/machineHistoryUnit.h).

#include <ctime>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <vector>

#include "record/machineHistoryUnit.h"

// The most reports kept: the newest ones, older ones removed as new ones come.
inline constexpr std::size_t kKeptRuns = 20;

// The folder, made (private to the user) where missing; empty when it cannot be made.
std::filesystem::path historyFolder();

// The runs of the reports in `folder`, oldest first; a file that is no run report is passed over.
std::vector<RecordedRun> readHistory(const std::filesystem::path& folder);

// Keeps the report `json` of a run started at `started` in `folder` as
// "run-20261208T004512Z-01.json" (the next number where that name is taken), through the safe
// save path, then removes the oldest reports beyond kKeptRuns. A failure is said on `err` and costs
// the run nothing else. Whether the report was kept.
bool keepInHistory(const std::filesystem::path& folder, std::string_view json, std::time_t started,
                   std::ostream& err);
