// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

/*
 * Hamming (8,4) encode in the YMM registers, thirty-two bytes per step.
 *
 * The SSE2 encode's steps (ssehamUnit.S) on 256-bit registers: AND, OR and XOR are vpand, vpor
 * and vpxor, the lane mask is a per-byte compare (vpcmpeqb), the 4-bit shifts work within each
 * 64-bit quarter (vpsllq, vpsrlq), and vperm2i128 puts each sixteen data bytes' nibbles where
 * the SSE2 encode puts them. Loads and stores of the buffers are unaligned moves (vmovdqu).
 *
 * The masks and table rows are read where they lie in the work area, each through its pointer
 * variable, at every use, and broadcast to both 128-bit halves (vbroadcasti128 ymm3); nothing is
 * held in a register across terms.
 *
 * The inner routines have a private convention: they take and return YMM registers (ymm0 the
 * nibble vector, ymm1 the accumulator, ymm2 the term scratch, ymm3 the broadcast mask or row).
 * The body clears the upper halves (vzeroupper) before it returns, so the SSE code after it runs
 * without a transition.
 */
#include "hamming/avx2hamUnit.h"

    .intel_syntax noprefix
    .text

/*
 * One bit term: AND the vector in ymm0 with the bit mask into ymm2, turn it into a lane mask,
 * AND that with SplatTable row `row`. Leaves the term in ymm2; clobbers rax and ymm3.
 */
.macro BIT_TERM maskPointer, row
    mov rax, [rip + \maskPointer]
    vbroadcasti128 ymm3, [rax]
    vpand ymm2, ymm0, ymm3
    call Avx2LaneMask
    mov rax, [rip + SplatTable]
    vbroadcasti128 ymm3, [rax + 16 * \row]
    vpand ymm2, ymm2, ymm3
.endm

/*
 * Avx2LaneMask: ymm2 holds a vector masked with one bit mask, ymm3 that mask. Makes every byte
 * of ymm2 whose bit is set all ones and every other byte zero, by one per-byte equality compare
 * with the mask. Uses ymm2; clobbers nothing else.
 * Work: one compare. Called once per bit term.
 */
    .p2align 6
    .type Avx2LaneMask,@function
Avx2LaneMask:
    vpcmpeqb ymm2, ymm2, ymm3
    ret
    .size Avx2LaneMask,.-Avx2LaneMask

/*
 * Avx2ParityTerms: ymm0 holds thirty-two nibbles (each byte 0 to 15), ymm1 the same shifted
 * left by 4. ORs the parity mask of data bit d3 (SplatTable row 13) into every byte of ymm1
 * whose bit 3 is set, then XORs in those of d2 (row 11), d1 (row 7) and d0 (row 14); ymm1 then
 * holds the thirty-two code bytes. Uses ymm0 (read), ymm1 to ymm3; clobbers rax.
 * Work: four terms, each with a call of Avx2LaneMask. Called once per encode step.
 */
    .p2align 6
    .type Avx2ParityTerms,@function
Avx2ParityTerms:
    BIT_TERM ByteMask08, 13
    vpor ymm1, ymm1, ymm2
    BIT_TERM ByteMask04, 11
    vpxor ymm1, ymm1, ymm2
    BIT_TERM ByteMask02, 7
    vpxor ymm1, ymm1, ymm2
    BIT_TERM ByteMask01, 14
    vpxor ymm1, ymm1, ymm2
    ret
    .size Avx2ParityTerms,.-Avx2ParityTerms

/*
 * HamAvx2EncodeRepetitions(nibbles = rdi, codes = rsi, data = rdx):
 * HAM_AVX2_ENCODE_REPETITIONS repetitions, each HAM_AVX2_DATA_STEPS unpack steps of 32 data
 * bytes and HAM_AVX2_CODE_STEPS encode steps of 32 nibbles.
 * Every loop counts its steps down in ecx; the repetition counter and the buffer pointers
 * (r12 nibbles, r13 codes, r14 data) are saved on the stack around the inner loops, so each
 * repetition starts at the start of the buffers. Preserves rbx, rbp, r12-r15; clobbers rax,
 * rcx, ymm0-ymm3.
 */
    .p2align 6
    .globl HamAvx2EncodeRepetitions
    .type HamAvx2EncodeRepetitions,@function
HamAvx2EncodeRepetitions:
    push r12
    push r13
    push r14
    mov r12, rdi
    mov r13, rsi
    mov r14, rdx
    mov ecx, HAM_AVX2_ENCODE_REPETITIONS
.LHamAvx2EncodeRepetitions_repetition:
    push rcx
    push r12
    push r14
    mov ecx, HAM_AVX2_DATA_STEPS
.LHamAvx2EncodeRepetitions_unpack:
    vmovdqu ymm0, [r14]                 // 32 data bytes, loaded once
    mov rax, [rip + ByteMask0F]
    vbroadcasti128 ymm3, [rax]
    vpand ymm1, ymm0, ymm3              // low nibbles
    mov rax, [rip + ByteMaskF0]
    vbroadcasti128 ymm3, [rax]
    vpand ymm0, ymm0, ymm3
    vpsrlq ymm0, ymm0, 4                // high nibbles
    vperm2i128 ymm2, ymm1, ymm0, 0x20   // the first sixteen bytes' low, then high nibbles
    vperm2i128 ymm1, ymm1, ymm0, 0x31   // the second sixteen's
    vmovdqu [r12], ymm2
    vmovdqu [r12 + 32], ymm1
    add r14, 32
    add r12, 64
    dec ecx
    jnz .LHamAvx2EncodeRepetitions_unpack
    pop r14
    pop r12
    push r12
    push r13
    mov ecx, HAM_AVX2_CODE_STEPS
.LHamAvx2EncodeRepetitions_encode:
    vmovdqu ymm0, [r12]
    vpsllq ymm1, ymm0, 4                // each nibble (at most 15) stays in its own byte
    call Avx2ParityTerms
    vmovdqu [r13], ymm1
    add r12, 32
    add r13, 32
    dec ecx
    jnz .LHamAvx2EncodeRepetitions_encode
    pop r13
    pop r12
    pop rcx
    dec ecx
    jnz .LHamAvx2EncodeRepetitions_repetition
    vzeroupper
    pop r14
    pop r13
    pop r12
    ret
    .size HamAvx2EncodeRepetitions,.-HamAvx2EncodeRepetitions

    .section .note.GNU-stack,"",@progbits
