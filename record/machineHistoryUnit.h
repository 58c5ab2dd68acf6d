#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// A run measured against the earlier runs of the same machine. A slow phase of the host that
// lasts a whole run moves every test of it alike, so nothing inside the run shows it; the runs
// this machine made before do. Only runs of the same kernel code on the same processor (as the
// machine names it, not as a user described it) are measured against each other.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "record/resultTableUnit.h"
#include "record/runQualityUnit.h"

// A run this far or more below the best on record is named in the quality report: the floor
// whole runs of one machine stay within when the host is steady.
inline constexpr double kHistoryFloor = 0.05;
// Each order needs this many runs of the machine before their spreads are set side by side.
inline constexpr int kSteadinessRuns = 3;
// At most this many latest runs of each order are set side by side.
inline constexpr int kMostSteadinessRuns = 10;

// One run as its report says: what ran, where, and its result table.
struct RecordedRun {
    std::string kernelCode;
    std::string processor;
    ResultTable results{};
    std::string order{};  // "rounds" or "in-order"; empty when the report does not say
};

// The run the report `text` describes, or nothing when it is no run report this program reads.
std::optional<RecordedRun> parseRecordedRun(std::string_view text);

// `run` against the runs of `history` with its kernel code and processor: how many there are,
// and the best of them (the one `run` is slowest against, by the geometric mean over the tests
// both passed of run best / recorded best) as an index with `run` at 100, with how much slower
// `run` is than it (negative: faster than every one); and, once each order has enough runs of
// the machine, how far a test's best moves across runs in rounds and in order, so that a machine
// whose host phases move every run says which order measures it steadier.
HistoryExport measureAgainstHistory(std::span<const RecordedRun> history, const RecordedRun& run);

// The quality report's line when `standing` says the run is more than kHistoryFloor slower than
// the best on record (UTF-8): "этот запуск на 29 % медленнее лучшего на этой машине".
std::optional<std::string> historyLine(const HistoryExport& standing);

// The quality report's line when a test's best moves across this machine's runs by more than
// kHistoryFloor in either order (UTF-8): "лучшие тестов расходятся между запусками этой машины на
// 12 % кругами и на 27 % подряд (медиана по тестам; запусков каждого порядка: 5)".
std::optional<std::string> steadinessLine(const HistoryExport& standing);
