// Compiled as a file of the result-file layer: must not find the run above it.
#include "engine/sequenceUnit.h"
