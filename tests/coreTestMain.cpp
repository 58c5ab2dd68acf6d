// Runs the core tests in the program's own environment: the x87 control word of the program,
// the exception guard installed, the kernel work area built.

#include <gtest/gtest.h>

#include "kernel/workAreaUnit.h"
#include "support/programEnvironment.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    enterProgramEnvironment();
    BuildKernelWorkArea();
    return RUN_ALL_TESTS();
}
