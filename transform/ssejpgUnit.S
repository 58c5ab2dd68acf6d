// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.
//
// The SSE2 transform kernel's body: the workload of the x87 kernel with packed doubles, two
// values per instruction, as four called steps.
//
// Layouts as for the x87 kernel (transform/yuvBlock.h): pixel (i, j) at byte
// YUV_PIXEL_BYTES (8 i + j), red, green, blue at + 0, 8, 16; area element (p, i, j) at byte
// YUV_PLANE_BYTES p + YUV_ROW_BYTES i + 8 j. A running index n (0 to YUV_AREA_DOUBLES - 1)
// names element n of an area: p = n div 64, i = (n div 8) mod 8, k = n mod 8.
//
// Private calling convention of the steps: rdi = plane area, rsi = intermediate area,
// rdx = pixel block, ecx = the step's index (the whole of rcx); the steps keep rcx, rdx, rsi,
// rdi and r11 and may clobber rax, r8, r9 and xmm0-xmm5. No step touches MXCSR: its masked
// exceptions turn overflow into infinities and invalid operations into NaNs.
//
// Every 16-byte access is MOVAPD, so a misaligned area, CosTableT, coefficient slot or zero
// slot faults at once instead of running a slower split access.

#include "transform/ssejpgUnit.h"
#include "transform/yuvBlock.h"

    .intel_syntax noprefix
    .text

// YuvFourierSse2Repetitions(planes, intermediate, pixels): the workload
// YUV_FOURIER_SSE2_REPETITIONS times.
// Inputs: rdi = plane area, rsi = intermediate area (both 16-byte aligned), rdx = pixel block.
// Registers: rax, rcx, r8, r9, r11, xmm0-xmm5 clobbered; no callee-saved register used.
// Work per repetition: ConvertPixelPair m = 0..31, ClearArea on the intermediate area,
// RowPassStep n = 0..191, ClearArea on the plane area, ColumnPassStep n = 0..191.
    .p2align 6
    .globl YuvFourierSse2Repetitions
    .type YuvFourierSse2Repetitions,@function
YuvFourierSse2Repetitions:
    mov r11d, YUV_FOURIER_SSE2_REPETITIONS
.LYuvFourierSse2Repetitions_repetition:
    xor ecx, ecx
.LYuvFourierSse2Repetitions_convert:
    call ConvertPixelPair
    inc ecx
    cmp ecx, YUV_PIXEL_PAIRS
    jne .LYuvFourierSse2Repetitions_convert

    mov r8, rsi
    call ClearArea
    xor ecx, ecx
.LYuvFourierSse2Repetitions_rowPass:
    call RowPassStep
    inc ecx
    cmp ecx, YUV_AREA_DOUBLES
    jne .LYuvFourierSse2Repetitions_rowPass

    // The colour planes are no longer needed: the column pass sums into a cleared plane area.
    mov r8, rdi
    call ClearArea
    xor ecx, ecx
.LYuvFourierSse2Repetitions_columnPass:
    call ColumnPassStep
    inc ecx
    cmp ecx, YUV_AREA_DOUBLES
    jne .LYuvFourierSse2Repetitions_columnPass

    dec r11d
    jnz .LYuvFourierSse2Repetitions_repetition
    ret
    .size YuvFourierSse2Repetitions,.-YuvFourierSse2Repetitions

// ConvertPixelPair: colour conversion of pixels 2m and 2m + 1 (neighbours in one row) into
// elements 2m and 2m + 1 of the three planes, lower lane pixel 2m, upper lane pixel 2m + 1.
// Inputs: ecx = m (0 to 31), rdx = pixel block, rdi = plane area (16-byte aligned); reads the
// slot pointer variables YuvCoefficient0 to YuvCoefficient7 (16-byte aligned slots).
// Registers: rax, r8, r9, xmm0-xmm5 clobbered.
// Work: 6 eight-byte loads, 9 aligned coefficient loads, 9 MULPD, 6 ADDPD, 3 aligned stores.
    .p2align 6
    .type ConvertPixelPair,@function
ConvertPixelPair:
    imul eax, ecx, 2 * YUV_PIXEL_BYTES
    lea r8, [rdx + rax]                                     // pixel 2m
    movlpd xmm0, qword ptr [r8]                             // red of 2m, lower lane
    movhpd xmm0, qword ptr [r8 + YUV_PIXEL_BYTES]           // red of 2m + 1, upper lane
    movlpd xmm1, qword ptr [r8 + 8]                         // green
    movhpd xmm1, qword ptr [r8 + YUV_PIXEL_BYTES + 8]
    movlpd xmm2, qword ptr [r8 + 16]                        // blue
    movhpd xmm2, qword ptr [r8 + YUV_PIXEL_BYTES + 16]
    mov eax, ecx
    shl eax, 4
    lea r8, [rdi + rax]                                     // plane 0, element 2m

    // Y = (red x slot 0 + green x slot 1) + blue x slot 2
    mov r9, qword ptr [rip + YuvCoefficient0]
    movapd xmm3, xmmword ptr [r9]
    mulpd xmm3, xmm0
    mov r9, qword ptr [rip + YuvCoefficient1]
    movapd xmm4, xmmword ptr [r9]
    mulpd xmm4, xmm1
    mov r9, qword ptr [rip + YuvCoefficient2]
    movapd xmm5, xmmword ptr [r9]
    mulpd xmm5, xmm2
    addpd xmm3, xmm4
    addpd xmm3, xmm5
    movapd xmmword ptr [r8], xmm3

    // Cb: slots 3, 4, 5
    mov r9, qword ptr [rip + YuvCoefficient3]
    movapd xmm3, xmmword ptr [r9]
    mulpd xmm3, xmm0
    mov r9, qword ptr [rip + YuvCoefficient4]
    movapd xmm4, xmmword ptr [r9]
    mulpd xmm4, xmm1
    mov r9, qword ptr [rip + YuvCoefficient5]
    movapd xmm5, xmmword ptr [r9]
    mulpd xmm5, xmm2
    addpd xmm3, xmm4
    addpd xmm3, xmm5
    movapd xmmword ptr [r8 + YUV_PLANE_BYTES], xmm3

    // Cr: slots 5, 6, 7
    mov r9, qword ptr [rip + YuvCoefficient5]
    movapd xmm3, xmmword ptr [r9]
    mulpd xmm3, xmm0
    mov r9, qword ptr [rip + YuvCoefficient6]
    movapd xmm4, xmmword ptr [r9]
    mulpd xmm4, xmm1
    mov r9, qword ptr [rip + YuvCoefficient7]
    movapd xmm5, xmmword ptr [r9]
    mulpd xmm5, xmm2
    addpd xmm3, xmm4
    addpd xmm3, xmm5
    movapd xmmword ptr [r8 + 2 * YUV_PLANE_BYTES], xmm3
    ret
    .size ConvertPixelPair,.-ConvertPixelPair

// ClearArea: sets the 192 doubles of one area to 0.0, copying the zero slot 16 bytes at a time.
// Inputs: r8 = the area (16-byte aligned); reads the pointer variable YuvZeroSlot (16-byte
// aligned slot).
// Registers: rax, r8, r9, xmm0 clobbered.
// Work: 96 aligned loads and 96 aligned stores.
    .p2align 6
    .type ClearArea,@function
ClearArea:
    mov r9, qword ptr [rip + YuvZeroSlot]
    lea rax, [r8 + YUV_AREA_BYTES]
.LClearArea_copy:
    movapd xmm0, xmmword ptr [r9]
    movapd xmmword ptr [r8], xmm0
    add r8, 16
    cmp r8, rax
    jne .LClearArea_copy
    ret
    .size ClearArea,.-ClearArea

// RowPassStep: term k of the row pass for all 8 results of row i of plane p:
// intermediate (p, i, 0..7) += plane (p, i, k) x CosTableT (k, 0..7).
// Inputs: ecx = n = 64 p + 8 i + k (0 to 191), rdi = plane area, rsi = intermediate area (both
// 16-byte aligned); reads the pointer variable CosTableT (16-byte aligned).
// Registers: rax, r8, xmm0-xmm5 clobbered.
// Work: 2 eight-byte loads (the broadcast), 8 aligned loads, 4 MULPD, 4 ADDPD, 4 aligned stores.
    .p2align 6
    .type RowPassStep,@function
RowPassStep:
    movlpd xmm0, qword ptr [rdi + 8 * rcx]                  // plane element n, lower lane
    movhpd xmm0, qword ptr [rdi + 8 * rcx]                  // and upper lane
    mov eax, ecx
    and eax, 7
    shl eax, 6
    add rax, qword ptr [rip + CosTableT]                    // CosTableT row k
    mov r8d, ecx
    and r8d, -8
    lea r8, [rsi + 8 * r8]                                  // intermediate row (p, i)

    movapd xmm1, xmmword ptr [rax]                          // columns 0, 1
    mulpd xmm1, xmm0
    movapd xmm2, xmmword ptr [rax + 16]                     // columns 2, 3
    mulpd xmm2, xmm0
    movapd xmm3, xmmword ptr [rax + 32]                     // columns 4, 5
    mulpd xmm3, xmm0
    movapd xmm4, xmmword ptr [rax + 48]                     // columns 6, 7
    mulpd xmm4, xmm0

    movapd xmm5, xmmword ptr [r8]
    addpd xmm5, xmm1
    movapd xmmword ptr [r8], xmm5
    movapd xmm5, xmmword ptr [r8 + 16]
    addpd xmm5, xmm2
    movapd xmmword ptr [r8 + 16], xmm5
    movapd xmm5, xmmword ptr [r8 + 32]
    addpd xmm5, xmm3
    movapd xmmword ptr [r8 + 32], xmm5
    movapd xmm5, xmmword ptr [r8 + 48]
    addpd xmm5, xmm4
    movapd xmmword ptr [r8 + 48], xmm5
    ret
    .size RowPassStep,.-RowPassStep

// ColumnPassStep: term k of the column pass for all 8 results of row i of plane p:
// plane (p, i, 0..7) += CosTable (i, k) x intermediate (p, k, 0..7).
// Inputs: ecx = n = 64 p + 8 i + k (0 to 191), rdi = plane area, rsi = intermediate area (both
// 16-byte aligned); reads the pointer variable CosTable (no alignment needed).
// Registers: rax, r8, r9, xmm0-xmm5 clobbered.
// Work: 2 eight-byte loads (the broadcast), 8 aligned loads, 4 MULPD, 4 ADDPD, 4 aligned stores.
    .p2align 6
    .type ColumnPassStep,@function
ColumnPassStep:
    mov eax, ecx
    and eax, YUV_PLANE_DOUBLES - 1                          // CosTable (i, k): index n mod 64
    mov r8, qword ptr [rip + CosTable]
    movlpd xmm0, qword ptr [r8 + 8 * rax]                   // lower lane
    movhpd xmm0, qword ptr [r8 + 8 * rax]                   // upper lane
    mov eax, ecx
    and eax, -YUV_PLANE_DOUBLES                             // 64 p
    mov r8d, ecx
    and r8d, 7                                              // k
    lea r8, [rax + 8 * r8]
    lea r8, [rsi + 8 * r8]                                  // intermediate row (p, k)
    mov r9d, ecx
    and r9d, -8
    lea r9, [rdi + 8 * r9]                                  // plane row (p, i)

    movapd xmm1, xmmword ptr [r8]
    mulpd xmm1, xmm0
    movapd xmm2, xmmword ptr [r8 + 16]
    mulpd xmm2, xmm0
    movapd xmm3, xmmword ptr [r8 + 32]
    mulpd xmm3, xmm0
    movapd xmm4, xmmword ptr [r8 + 48]
    mulpd xmm4, xmm0

    movapd xmm5, xmmword ptr [r9]
    addpd xmm5, xmm1
    movapd xmmword ptr [r9], xmm5
    movapd xmm5, xmmword ptr [r9 + 16]
    addpd xmm5, xmm2
    movapd xmmword ptr [r9 + 16], xmm5
    movapd xmm5, xmmword ptr [r9 + 32]
    addpd xmm5, xmm3
    movapd xmmword ptr [r9 + 32], xmm5
    movapd xmm5, xmmword ptr [r9 + 48]
    addpd xmm5, xmm4
    movapd xmmword ptr [r9 + 48], xmm5
    ret
    .size ColumnPassStep,.-ColumnPassStep

    .section .note.GNU-stack,"",@progbits
