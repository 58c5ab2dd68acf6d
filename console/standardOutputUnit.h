#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// Whether the console runner's output reached its reader. Output written into a full disk or a
// closed file is a lost result, so the runner ends with a failure status rather than 0.

// What starts each of the console runner's messages on standard error.
inline constexpr const char* kConsoleMessagePrefix = "korvex2-console: ";

// Records the system's reason if standard output has just failed; call right after writing, while
// errno still holds it (the C library drops the unwritten bytes, so a later flush cannot tell).
void noteStandardOutputState();

// Flushes standard output. True when everything written to it got there; otherwise says so on
// standard error, with the reason when one was recorded, and answers false.
[[nodiscard]] bool finishStandardOutput();
