#pragma once
// Tests run in the program's own processor environment: its x87 control word, and the guard
// that turns a processor exception in a kernel into a failed run.

#include "platform/exceptionGuard.h"
#include "platform/fpuEnvironment.h"

inline void enterProgramEnvironment() {
    platform::setProgramFpuEnvironment();
    platform::installExceptionGuard();
}
