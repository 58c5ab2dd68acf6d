// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

/*
 * Hamming (8,4) encode and decode in the XMM registers, sixteen bytes per step.
 *
 * AND, OR and XOR are the packed-single logical operations of SSE (andps, orps, xorps); loads,
 * stores and register copies are aligned moves (movdqa); the 4-bit shifts work within each
 * 64-bit half (psllq, psrlq) and the lane mask is a per-byte compare (pcmpeqb), both SSE2.
 * Every memory operand must be 16-byte aligned: a misaligned one faults.
 *
 * The masks and table rows are memory operands read where they lie in the work area, each
 * through its pointer variable, at every use (ByteMask0F ... ByteMask80, SplatTable). Nothing
 * is held in a register across terms: that memory traffic is part of the measured work.
 *
 * The inner routines have a private convention: they take and return XMM registers (xmm0 the
 * nibble or code vector, xmm1 the accumulator, xmm2 the term scratch), rax carries the address
 * of the bit mask into LaneMask, and r12, r13, r15 carry the step's nibble, code and scratch
 * addresses into AcceptNibbles. No MMX register is touched, so there is no EMMS.
 */
#include "hamming/ssehamUnit.h"

    .intel_syntax noprefix
    .text

/*
 * One bit term: copy the vector in xmm0 to xmm2, AND it with the bit mask, turn it into a lane
 * mask, AND that with SplatTable row `row`. Leaves the term in xmm2; clobbers rax.
 */
.macro BIT_TERM maskPointer, row
    movdqa xmm2, xmm0
    mov rax, [rip + \maskPointer]
    andps xmm2, [rax]
    call LaneMask
    mov rax, [rip + SplatTable]
    andps xmm2, [rax + 16 * \row]
.endm

/*
 * LaneMask: xmm2 holds a vector masked with one bit mask, rax the (aligned) address of that
 * mask. Makes every byte of xmm2 whose bit is set all ones and every other byte zero, by one
 * per-byte equality compare with the same mask. Uses xmm2; clobbers nothing else.
 * Work: one compare with a memory operand. Called once per bit term.
 */
    .p2align 6
    .type LaneMask,@function
LaneMask:
    pcmpeqb xmm2, [rax]
    ret
    .size LaneMask,.-LaneMask

/*
 * ParityTerms: xmm0 holds sixteen nibbles (each byte 0 to 15), xmm1 the same shifted left by
 * 4. ORs the parity mask of data bit d3 (SplatTable row 13) into every byte of xmm1 whose bit
 * 3 is set, then XORs in those of d2 (row 11), d1 (row 7) and d0 (row 14); xmm1 then holds the
 * sixteen code bytes. Uses xmm0 (read), xmm1, xmm2; clobbers rax.
 * Work: four terms, each with a call of LaneMask. Called once per encode step.
 */
    .p2align 6
    .type ParityTerms,@function
ParityTerms:
    BIT_TERM ByteMask08, 13
    orps xmm1, xmm2
    BIT_TERM ByteMask04, 11
    xorps xmm1, xmm2
    BIT_TERM ByteMask02, 7
    xorps xmm1, xmm2
    BIT_TERM ByteMask01, 14
    xorps xmm1, xmm2
    ret
    .size ParityTerms,.-ParityTerms

/*
 * SyndromeTerms: xmm0 holds sixteen code bytes. Builds their syndromes in xmm1 from eight
 * terms: bits 7, 6, 5, 4 select the parity masks 0x0D, 0x0B, 0x07, 0x0E (SplatTable rows 13,
 * 11, 7, 14), bits 3, 2, 1, 0 their own values (rows 8, 4, 2, 1). The first term becomes the
 * accumulator, the others are XORed into it. Uses xmm0 (read), xmm1, xmm2; clobbers rax.
 * Work: eight terms, each with a call of LaneMask. Called once per decode step.
 */
    .p2align 6
    .type SyndromeTerms,@function
SyndromeTerms:
    BIT_TERM ByteMask80, 13
    movdqa xmm1, xmm2
    BIT_TERM ByteMask40, 11
    xorps xmm1, xmm2
    BIT_TERM ByteMask20, 7
    xorps xmm1, xmm2
    BIT_TERM ByteMask10, 14
    xorps xmm1, xmm2
    BIT_TERM ByteMask08, 8
    xorps xmm1, xmm2
    BIT_TERM ByteMask04, 4
    xorps xmm1, xmm2
    BIT_TERM ByteMask02, 2
    xorps xmm1, xmm2
    BIT_TERM ByteMask01, 1
    xorps xmm1, xmm2
    ret
    .size SyndromeTerms,.-SyndromeTerms

/*
 * One byte of AcceptNibbles: a non-zero syndrome byte writes nibble 0, a zero one the code
 * byte's high nibble.
 */
.macro ACCEPT_BYTE lane
    cmp byte ptr [r15 + \lane], 0
    jne .LAcceptNibbles_reject\lane
    mov al, [r13 + \lane]
    and al, 0xF0
    shr al, 4
    mov [r12 + \lane], al
    jmp .LAcceptNibbles_next\lane
.LAcceptNibbles_reject\lane:
    mov byte ptr [r12 + \lane], 0
.LAcceptNibbles_next\lane:
.endm

/*
 * AcceptNibbles: r12 = the step's 16 nibble bytes, r13 = its 16 code bytes, r15 = the 16
 * syndrome bytes in SyndromeScratch. For bytes 0 to 15 in order: nibble = 0 where the
 * syndrome byte is non-zero, else the code byte's high nibble. Single-byte compares, branches,
 * reads and writes. Clobbers al and the flags.
 * Work: sixteen byte tests, each a branch. Called once per decode step.
 */
    .p2align 6
    .type AcceptNibbles,@function
AcceptNibbles:
    ACCEPT_BYTE 0
    ACCEPT_BYTE 1
    ACCEPT_BYTE 2
    ACCEPT_BYTE 3
    ACCEPT_BYTE 4
    ACCEPT_BYTE 5
    ACCEPT_BYTE 6
    ACCEPT_BYTE 7
    ACCEPT_BYTE 8
    ACCEPT_BYTE 9
    ACCEPT_BYTE 10
    ACCEPT_BYTE 11
    ACCEPT_BYTE 12
    ACCEPT_BYTE 13
    ACCEPT_BYTE 14
    ACCEPT_BYTE 15
    ret
    .size AcceptNibbles,.-AcceptNibbles

/*
 * HamSseEncodeRepetitions(nibbles = rdi, codes = rsi, data = rdx, all 16-byte aligned):
 * HAM_SSE_ENCODE_REPETITIONS repetitions, each HAM_SSE_DATA_STEPS unpack steps of 16 data bytes
 * and HAM_SSE_CODE_STEPS encode steps of 16 nibbles.
 * Every loop counts its steps down in ecx; the repetition counter and the buffer pointers
 * (r12 nibbles, r13 codes, r14 data) are saved on the stack around the inner loops, so each
 * repetition starts at the start of the buffers. Preserves rbx, rbp, r12-r15; clobbers rax,
 * rcx, xmm0-xmm2.
 */
    .p2align 6
    .globl HamSseEncodeRepetitions
    .type HamSseEncodeRepetitions,@function
HamSseEncodeRepetitions:
    push r12
    push r13
    push r14
    mov r12, rdi
    mov r13, rsi
    mov r14, rdx
    mov ecx, HAM_SSE_ENCODE_REPETITIONS
.LHamSseEncodeRepetitions_repetition:
    push rcx
    push r12
    push r14
    mov ecx, HAM_SSE_DATA_STEPS
.LHamSseEncodeRepetitions_unpack:
    movdqa xmm0, [r14]                  // the 16 data bytes, loaded once
    movdqa xmm1, xmm0
    mov rax, [rip + ByteMask0F]
    andps xmm0, [rax]
    mov rax, [rip + ByteMaskF0]
    andps xmm1, [rax]
    psrlq xmm1, 4
    movdqa [r12], xmm0                  // low nibbles
    movdqa [r12 + 16], xmm1             // high nibbles
    add r14, 16
    add r12, 32
    dec ecx
    jnz .LHamSseEncodeRepetitions_unpack
    pop r14
    pop r12
    push r12
    push r13
    mov ecx, HAM_SSE_CODE_STEPS
.LHamSseEncodeRepetitions_encode:
    movdqa xmm0, [r12]
    movdqa xmm1, xmm0
    psllq xmm1, 4                       // each nibble (at most 15) stays in its own byte
    call ParityTerms
    movdqa [r13], xmm1
    add r12, 16
    add r13, 16
    dec ecx
    jnz .LHamSseEncodeRepetitions_encode
    pop r13
    pop r12
    pop rcx
    dec ecx
    jnz .LHamSseEncodeRepetitions_repetition
    pop r14
    pop r13
    pop r12
    ret
    .size HamSseEncodeRepetitions,.-HamSseEncodeRepetitions

/*
 * HamSse2DecodeRepetitions(nibbles = rdi, codes = rsi, data = rdx, syndromeScratch = rcx, 16
 * bytes; all 16-byte aligned): HAM_SSE_DECODE_REPETITIONS repetitions, each HAM_SSE_CODE_STEPS
 * check steps of 16 code bytes (SyndromeTerms, the syndromes stored in the scratch,
 * AcceptNibbles) and HAM_SSE_DATA_STEPS pack steps of 16 data bytes. Steps are counted down
 * in ecx; the repetition counter, the buffer pointers (r12 nibbles, r13 codes, r14 data) and
 * the scratch address (r15) are saved on the stack around the inner loops. Preserves rbx, rbp,
 * r12-r15; clobbers rax, rcx, xmm0-xmm2.
 */
    .p2align 6
    .globl HamSse2DecodeRepetitions
    .type HamSse2DecodeRepetitions,@function
HamSse2DecodeRepetitions:
    push r12
    push r13
    push r14
    push r15
    mov r12, rdi
    mov r13, rsi
    mov r14, rdx
    mov r15, rcx
    mov ecx, HAM_SSE_DECODE_REPETITIONS
.LHamSse2DecodeRepetitions_repetition:
    push rcx
    push r12
    push r13
    push r15
    mov ecx, HAM_SSE_CODE_STEPS
.LHamSse2DecodeRepetitions_check:
    movdqa xmm0, [r13]
    call SyndromeTerms
    movdqa [r15], xmm1
    call AcceptNibbles
    add r12, 16
    add r13, 16
    dec ecx
    jnz .LHamSse2DecodeRepetitions_check
    pop r15
    pop r13
    pop r12
    push r12
    push r14
    mov ecx, HAM_SSE_DATA_STEPS
.LHamSse2DecodeRepetitions_pack:
    movdqa xmm0, [r12]                  // low nibbles
    movdqa xmm1, [r12 + 16]             // high nibbles
    psllq xmm1, 4
    orps xmm0, xmm1
    movdqa [r14], xmm0
    add r12, 32
    add r14, 16
    dec ecx
    jnz .LHamSse2DecodeRepetitions_pack
    pop r14
    pop r12
    pop rcx
    dec ecx
    jnz .LHamSse2DecodeRepetitions_repetition
    pop r15
    pop r14
    pop r13
    pop r12
    ret
    .size HamSse2DecodeRepetitions,.-HamSse2DecodeRepetitions

    .section .note.GNU-stack,"",@progbits
