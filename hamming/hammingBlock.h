#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The block every Hamming kernel works on. Included by the kernels' headers and, through them,
// by their assembly, so it holds preprocessor definitions only.
//
// A kernel encodes the first HAM_DATA_BYTES bytes of the data buffer into the nibble buffer, one
// nibble per byte, and the code buffer, one code byte per nibble byte; decoding goes back. The
// rest of the data buffer is never touched.

#define HAM_DATA_BYTES 2048
#define HAM_CODE_BYTES (2 * HAM_DATA_BYTES)
