#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The kernels' code as built: one block, laid out once (the kernel layer's PINNED objects,
// layers.cmake) and placed on a page boundary in every program.

// The block's fingerprint: 16 hex digits of a hash of its code and relocations before the
// final link. The same in every program of one build; another one when any kernel's code,
// the block's layout or what an instruction refers to differs.
const char* kernelCodeFingerprint();
