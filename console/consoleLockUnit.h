#pragma once
// Layer korvex_run: includes korvex_kernels, korvex_results and korvex_platform; no Qt.
//
// The console's taking of the machine's lock before a run, and what it says about another run.

#include <ostream>
#include <string>

#include "engine/sequenceUnit.h"

// The exit status of a run refused because another run holds the machine.
inline constexpr int kMachineBusyStatus = 3;

// Takes the machine's lock through `system` (SequencePlatform::lockMachine): root and, with
// `ignoreLock`, any user go past another user's run with a warning on `err`, and `otherRun` then
// says in Russian who held it, for the quality report. False, with the reason on `err`, when the
// run must not start: another run holds the machine past the wait.
[[nodiscard]] bool takeMachineLock(SequencePlatform& system, bool ignoreLock, std::string& otherRun,
                                   std::ostream& err);
