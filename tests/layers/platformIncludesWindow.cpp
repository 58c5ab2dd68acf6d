// Compiled as a file of the platform layer: must not find the main window's header.
#include "testrun/mainUnit.h"
