// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The x87 transform kernel's body: colour conversion of one 8 x 8 RGB block to Y, Cb, Cr and
// the two passes of the 8-point DCT on each plane, all on the x87 unit.
//
// Layouts, doubles: the pixel block and the areas as transform/yuvBlock.h lays them out, pixel
// (i, j) at byte YUV_PIXEL_BYTES (8 i + j), red, green, blue at + 0, 8, 16; plane and
// intermediate element (p, i, j) at byte YUV_PLANE_BYTES p + YUV_ROW_BYTES i + 8 j; CosTable
// (u, x) at 64 u + 8 x and CosTableT (x, u) at 64 x + 8 u.
//
// Precision: operands are loaded as doubles into the 80-bit registers, products and sums stay
// there, and a value is rounded to double only when stored into an area. The control word is
// the program's (64-bit significand, invalid operation, division by zero and overflow
// unmasked), so an overflowing store or an invalid operation faults; x87 faults are deferred
// to the next waiting instruction, hence the FWAIT before the return.

#include "transform/fpujpgUnit.h"
#include "transform/yuvBlock.h"
#include "transform/yuvCoefficients.h"

    .intel_syntax noprefix

// The colour coefficients of transform/yuvCoefficients.h, rounded once from their decimal values
// to the 64-bit significand of the extended format. Stored as doubles they would carry a second
// rounding into every product; as 10-byte constants they are the closest values the unit can
// multiply by. The x87 stack comments below name them by their labels: "yRed R" is red times
// the yRed constant.
    .section .rodata
    .balign 16
.LYuvFourierFpuRepetitions_yRed:
    .tfloat YUV_Y_RED
    .balign 16
.LYuvFourierFpuRepetitions_yGreen:
    .tfloat YUV_Y_GREEN
    .balign 16
.LYuvFourierFpuRepetitions_yBlue:
    .tfloat YUV_Y_BLUE
    .balign 16
.LYuvFourierFpuRepetitions_cbRed:
    .tfloat YUV_CB_RED
    .balign 16
.LYuvFourierFpuRepetitions_cbGreen:
    .tfloat YUV_CB_GREEN
    .balign 16
.LYuvFourierFpuRepetitions_cbBlue:
    .tfloat YUV_CB_BLUE
    .balign 16
.LYuvFourierFpuRepetitions_crRed:
    .tfloat YUV_CR_RED
    .balign 16
.LYuvFourierFpuRepetitions_crGreen:
    .tfloat YUV_CR_GREEN
    .balign 16
.LYuvFourierFpuRepetitions_crBlue:
    .tfloat YUV_CR_BLUE

    .text

// YuvFourierFpuRepetitions(planes, intermediate, pixels): the workload
// YUV_FOURIER_FPU_REPETITIONS times. Every repetition works on the same input, so it leaves
// the same values.
// Inputs: rdi = plane area, rsi = intermediate area, rdx = pixel block (no alignment needed);
// reads the pointer variables CosTable and CosTableT.
// Registers: rax, rcx, r8-r11 clobbered; rbx and r12 saved and restored. The x87 stack must
// be empty on entry, holds at most five values and is empty again on return.
// Work per repetition, no call, nothing allocated:
// - colour conversion: 64 pixels x 3 outputs, each 3 loads of a constant, 3 multiplications,
//   2 additions, 1 store (192 stores);
// - row pass and column pass, each: 192 zeroing stores, then 1536 terms, each a load, a
//   multiplication and an addition with memory operands and a store (FSTP).
// That is 3648 FSTP per repetition: 192 + 2 x 192 + 2 x 1536.
    .p2align 6
    .globl YuvFourierFpuRepetitions
    .type YuvFourierFpuRepetitions,@function
YuvFourierFpuRepetitions:
    push rbx
    push r12
    mov r8, qword ptr [rip + CosTable]
    mov r9, qword ptr [rip + CosTableT]
    mov r11d, YUV_FOURIER_FPU_REPETITIONS

.LYuvFourierFpuRepetitions_repetition:
    // Colour conversion, pixels row after row: rax walks the pixel block, rcx the element of
    // plane 0 (Cb and Cr lie one and two planes further), r10 is the end of plane 0.
    mov rax, rdx
    mov rcx, rdi
    lea r10, [rdi + YUV_PLANE_BYTES]
.LYuvFourierFpuRepetitions_pixel:
    fld qword ptr [rax]                                     // R
    fld qword ptr [rax + 8]                                 // G, R
    fld qword ptr [rax + 16]                                // B, G, R

    // Y = (YUV_Y_RED R + YUV_Y_GREEN G) + YUV_Y_BLUE B
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_yRed]
    fmul st, st(3)                                          // yRed R, B, G, R
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_yGreen]
    fmul st, st(3)                                          // yGreen G, yRed R, B, G, R
    faddp st(1), st                                         // sum, B, G, R
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_yBlue]
    fmul st, st(2)                                          // yBlue B, sum, B, G, R
    faddp st(1), st                                         // Y, B, G, R
    fstp qword ptr [rcx]                                    // B, G, R

    // Cb = (YUV_CB_RED R + YUV_CB_GREEN G) + YUV_CB_BLUE B
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_cbRed]
    fmul st, st(3)
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_cbGreen]
    fmul st, st(3)
    faddp st(1), st
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_cbBlue]
    fmul st, st(2)
    faddp st(1), st
    fstp qword ptr [rcx + YUV_PLANE_BYTES]                  // B, G, R

    // Cr = (YUV_CR_RED R + YUV_CR_GREEN G) + YUV_CR_BLUE B: the last use of each component
    // multiplies it in place, so the stack is empty after the store.
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_crRed]
    fmulp st(3), st                                         // B, G, crRed R
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_crGreen]
    fmulp st(2), st                                         // B, crGreen G, crRed R
    fld tbyte ptr [rip + .LYuvFourierFpuRepetitions_crBlue]
    fmulp st(1), st                                         // crBlue B, crGreen G, crRed R
    fxch st(2)                                              // crRed R, crGreen G, crBlue B
    faddp st(1), st                                         // sum, crBlue B
    faddp st(1), st                                         // Cr
    fstp qword ptr [rcx + 2 * YUV_PLANE_BYTES]              // empty

    add rax, YUV_PIXEL_BYTES
    add rcx, 8
    cmp rcx, r10
    jne .LYuvFourierFpuRepetitions_pixel

    // Row pass: intermediate (p, i, j) = sum over k of plane (p, i, k) x CosTableT (k, j),
    // for i, then j, then k, then p. rax: plane row i (plane 0); r10: intermediate element
    // (0, i, j); rcx: CosTableT column j; rbx: 8 k; r12: end of intermediate row i.
    mov rax, rdi
    mov r10, rsi
.LYuvFourierFpuRepetitions_rowPassRow:
    mov rcx, r9
    lea r12, [r10 + YUV_ROW_BYTES]
.LYuvFourierFpuRepetitions_rowPassColumn:
    fldz
    fstp qword ptr [r10]
    fldz
    fstp qword ptr [r10 + YUV_PLANE_BYTES]
    fldz
    fstp qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    xor ebx, ebx
.LYuvFourierFpuRepetitions_rowPassTerm:
    fld qword ptr [rax + rbx]                               // plane (0, i, k)
    fmul qword ptr [rcx + 8 * rbx]                          // x CosTableT (k, j)
    fadd qword ptr [r10]                                    // + intermediate (0, i, j)
    fstp qword ptr [r10]
    fld qword ptr [rax + rbx + YUV_PLANE_BYTES]             // plane 1
    fmul qword ptr [rcx + 8 * rbx]
    fadd qword ptr [r10 + YUV_PLANE_BYTES]
    fstp qword ptr [r10 + YUV_PLANE_BYTES]
    fld qword ptr [rax + rbx + 2 * YUV_PLANE_BYTES]         // plane 2
    fmul qword ptr [rcx + 8 * rbx]
    fadd qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    fstp qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    add ebx, 8
    cmp ebx, YUV_ROW_BYTES
    jne .LYuvFourierFpuRepetitions_rowPassTerm
    add rcx, 8
    add r10, 8
    cmp r10, r12
    jne .LYuvFourierFpuRepetitions_rowPassColumn
    add rax, YUV_ROW_BYTES
    lea rbx, [rsi + YUV_PLANE_BYTES]
    cmp r10, rbx
    jne .LYuvFourierFpuRepetitions_rowPassRow

    // Column pass: plane (p, i, j) = sum over k of intermediate (p, k, j) x CosTable (i, k),
    // for i, then j, then k, then p. rax: CosTable row i; r10: plane element (0, i, j);
    // rcx: intermediate column j (plane 0); rbx: 8 k; r12: end of plane row i.
    mov rax, r8
    mov r10, rdi
.LYuvFourierFpuRepetitions_columnPassRow:
    mov rcx, rsi
    lea r12, [r10 + YUV_ROW_BYTES]
.LYuvFourierFpuRepetitions_columnPassColumn:
    fldz
    fstp qword ptr [r10]
    fldz
    fstp qword ptr [r10 + YUV_PLANE_BYTES]
    fldz
    fstp qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    xor ebx, ebx
.LYuvFourierFpuRepetitions_columnPassTerm:
    fld qword ptr [rcx + 8 * rbx]                           // intermediate (0, k, j)
    fmul qword ptr [rax + rbx]                              // x CosTable (i, k)
    fadd qword ptr [r10]                                    // + plane (0, i, j)
    fstp qword ptr [r10]
    fld qword ptr [rcx + 8 * rbx + YUV_PLANE_BYTES]         // plane 1
    fmul qword ptr [rax + rbx]
    fadd qword ptr [r10 + YUV_PLANE_BYTES]
    fstp qword ptr [r10 + YUV_PLANE_BYTES]
    fld qword ptr [rcx + 8 * rbx + 2 * YUV_PLANE_BYTES]     // plane 2
    fmul qword ptr [rax + rbx]
    fadd qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    fstp qword ptr [r10 + 2 * YUV_PLANE_BYTES]
    add ebx, 8
    cmp ebx, YUV_ROW_BYTES
    jne .LYuvFourierFpuRepetitions_columnPassTerm
    add rcx, 8
    add r10, 8
    cmp r10, r12
    jne .LYuvFourierFpuRepetitions_columnPassColumn
    add rax, YUV_ROW_BYTES
    lea rbx, [rdi + YUV_PLANE_BYTES]
    cmp r10, rbx
    jne .LYuvFourierFpuRepetitions_columnPassRow

    dec r11d
    jnz .LYuvFourierFpuRepetitions_repetition

    // A fault of the last store is pending until a waiting instruction: raise it here, while
    // the caller's guard still holds, not in whatever x87 code runs next.
    fwait
    pop r12
    pop rbx
    ret
    .size YuvFourierFpuRepetitions,.-YuvFourierFpuRepetitions

    .section .note.GNU-stack,"",@progbits
