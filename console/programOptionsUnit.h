#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The command line of the program with windows, answered before Qt starts, so that --help and
// --version work without a display and a mistake is reported before any window opens.

#include <ostream>

// Returns -1 to go on with the windows, otherwise the exit status: 0 after --help (the usage on
// `out`) or --version (the version line on `out`), 2 after an option it does not know (one line
// naming it on `err`). Qt's own options (-platform NAME, -style NAME, -style=NAME, -reverse, …)
// are left for Qt.
[[nodiscard]] int answerProgramOptions(int argc, char** argv, std::ostream& out, std::ostream& err);
