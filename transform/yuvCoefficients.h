#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The colour-conversion coefficients: the weight of red, green and blue in Y, Cb and Cr.
// Included by the x87 kernel's assembly (as 10-byte constants) and by C++ (as doubles), so it
// holds preprocessor definitions only, each a plain decimal literal.

#define YUV_Y_RED 0.299
#define YUV_Y_GREEN 0.587
#define YUV_Y_BLUE 0.114

#define YUV_CB_RED -0.1687
#define YUV_CB_GREEN -0.3313
#define YUV_CB_BLUE 0.5

// Cr's weight of red is Cb's weight of blue; the SSE2 kernel reads both from one slot.
#define YUV_CR_RED YUV_CB_BLUE
#define YUV_CR_GREEN -0.4187
#define YUV_CR_BLUE -0.0813
