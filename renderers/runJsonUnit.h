#pragma once
// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.
//
// A finished run, or a comparison of stored results, as JSON for scripts. A run: the program,
// the host, when the run started, the machine, the clock line's rate and per test the twenty
// values of the result table with their summary. A comparison: per stored machine its file,
// its four descriptions and its tests the same way. Both carry the schema version. The field
// names are listed, with an example, in README.md ("JSON export").

#include <ctime>
#include <ostream>
#include <string>

#include "record/runExportUnit.h"

// The version of the documents' layout: raised whenever a field changes meaning or goes away
// (new fields may appear without a change).
inline constexpr int kJsonSchema = 2;

// "2026-12-07T10:15:02Z".
std::string isoUtcTime(std::time_t time);

// The whole document, indented by two spaces, UTF-8, without a final newline.
std::string runJson(const RunExport& run);

// Writes the comparison as one document laid out like runJson's, machine by machine, so memory
// holds one machine's part at a time however many there are. Stops early once `out` fails.
void writeComparisonJson(std::ostream& out, const ComparisonExport& comparison);
