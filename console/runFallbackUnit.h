#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// Where a finished run's output goes when the file asked for cannot take it after the run, so
// that a minute's run is never lost to a save that fails at its end.

#include <ctime>
#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

// The folder for such files: $XDG_STATE_HOME/korvex2, else $HOME/.local/state/korvex2, made
// (private to the user) where missing; the current folder when neither can be made.
std::filesystem::path fallbackFolder();

// The start `started` as the names of a run's files carry it: UTC, "20261208T004512Z", so that
// the names sort as the runs started.
std::string fileNameStamp(std::time_t started);

// One output of a run that could not be written where asked.
struct LostOutput {
    std::string_view option;     // "--json"
    std::string_view extension;  // ".json"
    std::string_view asked;      // the file as given
    std::error_code reason;      // why it could not be written there
};

// Writes `bytes` of `lost` into a new file of fallbackFolder() named after the run's start,
// "korvex2-run-20261208T004512Z.json" (a number added where that name is taken), and says on
// `err` where it went and why the file asked for could not take it; or, when this fails too, why.
// Whether the bytes were kept.
bool keepInFallback(const LostOutput& lost, std::string_view bytes, std::time_t started,
                    std::ostream& err);
