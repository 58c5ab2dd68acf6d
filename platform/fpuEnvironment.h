#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The program's floating-point environment.
//
// x87 control word 0x1332: 64-bit significand, round to nearest, invalid operation, division by
// zero and overflow unmasked, the other exceptions masked. MXCSR stays at the system default
// (all SSE exceptions masked, round to nearest) and is never changed.
//
// Beware: under this control word an ordinary `long double` conversion or comparison can trap,
// so code outside the x87 kernel uses `long double` only inside an ExtendedPrecisionScope. x87
// faults are deferred: the SIGFPE arrives at the next waiting x87 instruction, not at the one that
// overflowed.

#include <cstdint>

namespace platform {

inline constexpr std::uint16_t kProgramFpuControlWord = 0x1332;

// Bit 6 of the x87 control word is reserved: FNSTCW always reads it as 1.
inline constexpr std::uint16_t kFpuControlWordReadAsOne = 1u << 6;

// The program's control word as FNSTCW reads it back.
inline constexpr std::uint16_t kProgramFpuControlWordAsRead =
    kProgramFpuControlWord | kFpuControlWordReadAsOne;

// Loads the program's control word into the x87 unit; MXCSR is left alone.
void setProgramFpuEnvironment();

// The x87 control word as FNSTCW reads it (with kFpuControlWordReadAsOne set, so the program's
// word reads back as kProgramFpuControlWordAsRead).
std::uint16_t readFpuControlWord();

// FNINIT (empties the register stack, clears the flags and any pending fault, which also undoes
// a missing EMMS), then the program's control word.
void reinitialiseFpu();

// While alive, the x87 unit runs under its default control word 0x037F (64-bit significand,
// round to nearest, every exception masked), so that constants can be computed in the extended
// format (`long double`) without trapping. On destruction it clears whatever flags that work
// raised, which under the program's word would fault at the next waiting instruction, and loads
// the control word it found. Only start-up code that fills tables uses it.
class ExtendedPrecisionScope {
  public:
    ExtendedPrecisionScope();
    ~ExtendedPrecisionScope();
    ExtendedPrecisionScope(const ExtendedPrecisionScope&) = delete;
    ExtendedPrecisionScope& operator=(const ExtendedPrecisionScope&) = delete;

  private:
    std::uint16_t savedControlWord_;
};

std::uint32_t readMxcsr();
void writeMxcsr(std::uint32_t value);

}  // namespace platform
