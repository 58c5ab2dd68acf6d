#pragma once
// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The areas both transform kernels work on. Included by the kernels' assembly and by C++, so it
// holds preprocessor definitions only.
//
// The pixel block holds 64 pixels row after row, each three doubles: red, green, blue. A plane
// or intermediate area holds the planes Y, Cb and Cr one after the other, each 8 x 8 doubles row
// after row: element (p, i, j) is double YUV_PLANE_DOUBLES p + 8 i + j. Both take the first
// YUV_AREA_BYTES bytes of their buffer; the rest is never touched.

#define YUV_PIXEL_BYTES 24
#define YUV_PIXEL_PAIRS 32
#define YUV_ROW_BYTES 64
#define YUV_PLANE_DOUBLES 64
#define YUV_PLANE_BYTES (8 * YUV_PLANE_DOUBLES)
#define YUV_AREA_DOUBLES (3 * YUV_PLANE_DOUBLES)
#define YUV_AREA_BYTES (8 * YUV_AREA_DOUBLES)
