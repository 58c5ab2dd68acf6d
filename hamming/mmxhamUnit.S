// Layer korvex_kernels: includes only its own layer and korvex_platform; no Qt.

/*
 * Hamming (8,4) encode and decode in the MMX registers, eight bytes per step.
 *
 * The masks and table rows are memory operands read where they lie in the work area, each
 * through its pointer variable, at every use (ByteMask0F ... ByteMask80, SplatTable; their
 * 16-byte entries, of which MMX uses the first 8 bytes). Nothing is held in a register across
 * terms: that memory traffic is part of the measured work.
 *
 * The inner routines have a private convention: they take and return MMX registers (mm0 the
 * nibble or code vector, mm1 the accumulator, mm2 the term scratch), rax carries the address of
 * the bit mask into LaneMask, and r12, r13, r15 carry the step's nibble, code and scratch
 * addresses into AcceptNibbles.
 */
#include "hamming/mmxhamUnit.h"

    .intel_syntax noprefix
    .text

/*
 * One bit term: copy the vector in mm0 to mm2, AND it with the bit mask, turn it into a lane
 * mask, AND that with SplatTable row `row`. Leaves the term in mm2; clobbers rax.
 */
.macro BIT_TERM maskPointer, row
    movq mm2, mm0
    mov rax, [rip + \maskPointer]
    pand mm2, [rax]
    call LaneMask
    mov rax, [rip + SplatTable]
    pand mm2, [rax + 16 * \row]
.endm

/*
 * LaneMask: mm2 holds a vector masked with one bit mask, rax the address of that mask.
 * Makes every byte of mm2 whose bit is set all ones and every other byte zero, by one
 * per-byte equality compare with the same mask. Uses mm2; clobbers nothing else.
 * Work: one compare with a memory operand. Called once per bit term.
 */
    .p2align 6
    .type LaneMask,@function
LaneMask:
    pcmpeqb mm2, [rax]
    ret
    .size LaneMask,.-LaneMask

/*
 * ParityTerms: mm0 holds eight nibbles (each byte 0 to 15), mm1 the same shifted left by 4.
 * ORs the parity mask of data bit d3 (SplatTable row 13) into every byte of mm1 whose bit 3 is
 * set, then XORs in those of d2 (row 11), d1 (row 7) and d0 (row 14); mm1 then holds the eight
 * code bytes. Uses mm0 (read), mm1, mm2; clobbers rax.
 * Work: four terms, each with a call of LaneMask. Called once per encode step.
 */
    .p2align 6
    .type ParityTerms,@function
ParityTerms:
    BIT_TERM ByteMask08, 13
    por mm1, mm2
    BIT_TERM ByteMask04, 11
    pxor mm1, mm2
    BIT_TERM ByteMask02, 7
    pxor mm1, mm2
    BIT_TERM ByteMask01, 14
    pxor mm1, mm2
    ret
    .size ParityTerms,.-ParityTerms

/*
 * SyndromeTerms: mm0 holds eight code bytes. Builds their syndromes in mm1 from eight terms:
 * bits 7, 6, 5, 4 select the parity masks 0x0D, 0x0B, 0x07, 0x0E (SplatTable rows 13, 11, 7,
 * 14), bits 3, 2, 1, 0 their own values (rows 8, 4, 2, 1). The first term becomes the
 * accumulator, the others are XORed into it. Uses mm0 (read), mm1, mm2; clobbers rax.
 * Work: eight terms, each with a call of LaneMask. Called once per decode step.
 */
    .p2align 6
    .type SyndromeTerms,@function
SyndromeTerms:
    BIT_TERM ByteMask80, 13
    movq mm1, mm2
    BIT_TERM ByteMask40, 11
    pxor mm1, mm2
    BIT_TERM ByteMask20, 7
    pxor mm1, mm2
    BIT_TERM ByteMask10, 14
    pxor mm1, mm2
    BIT_TERM ByteMask08, 8
    pxor mm1, mm2
    BIT_TERM ByteMask04, 4
    pxor mm1, mm2
    BIT_TERM ByteMask02, 2
    pxor mm1, mm2
    BIT_TERM ByteMask01, 1
    pxor mm1, mm2
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
 * AcceptNibbles: r12 = the step's 8 nibble bytes, r13 = its 8 code bytes, r15 = the 8
 * syndrome bytes in SyndromeScratch. For bytes 0 to 7 in order: nibble = 0 where the
 * syndrome byte is non-zero, else the code byte's high nibble. Single-byte compares, branches,
 * reads and writes. Clobbers al and the flags.
 * Work: eight byte tests, each a branch. Called once per decode step.
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
    ret
    .size AcceptNibbles,.-AcceptNibbles

/*
 * HamMmxEncodeRepetitions(nibbles = rdi, codes = rsi, data = rdx): HAM_MMX_ENCODE_REPETITIONS
 * repetitions, each HAM_MMX_DATA_STEPS unpack steps of 8 data bytes and HAM_MMX_CODE_STEPS
 * encode steps of 8 nibbles; EMMS after the last.
 * Every loop counts its steps down in ecx; the repetition counter and the buffer pointers
 * (r12 nibbles, r13 codes, r14 data) are saved on the stack around the inner loops, so each
 * repetition starts at the start of the buffers. Preserves rbx, rbp, r12-r15; clobbers rax,
 * rcx, mm0-mm2 and the x87 tag word until the final EMMS.
 */
    .p2align 6
    .globl HamMmxEncodeRepetitions
    .type HamMmxEncodeRepetitions,@function
HamMmxEncodeRepetitions:
    push r12
    push r13
    push r14
    mov r12, rdi
    mov r13, rsi
    mov r14, rdx
    mov ecx, HAM_MMX_ENCODE_REPETITIONS
.LHamMmxEncodeRepetitions_repetition:
    push rcx
    push r12
    push r14
    mov ecx, HAM_MMX_DATA_STEPS
.LHamMmxEncodeRepetitions_unpack:
    movq mm0, [r14]                     // the same 8 data bytes, loaded twice
    movq mm1, [r14]
    mov rax, [rip + ByteMask0F]
    pand mm0, [rax]
    mov rax, [rip + ByteMaskF0]
    pand mm1, [rax]
    psrlq mm1, 4
    movq [r12], mm0                     // low nibbles
    movq [r12 + 8], mm1                 // high nibbles
    add r14, 8
    add r12, 16
    dec ecx
    jnz .LHamMmxEncodeRepetitions_unpack
    pop r14
    pop r12
    push r12
    push r13
    mov ecx, HAM_MMX_CODE_STEPS
.LHamMmxEncodeRepetitions_encode:
    movq mm0, [r12]
    movq mm1, mm0
    psllq mm1, 4                        // each nibble (at most 15) stays in its own byte
    call ParityTerms
    movq [r13], mm1
    add r12, 8
    add r13, 8
    dec ecx
    jnz .LHamMmxEncodeRepetitions_encode
    pop r13
    pop r12
    pop rcx
    dec ecx
    jnz .LHamMmxEncodeRepetitions_repetition
    emms
    pop r14
    pop r13
    pop r12
    ret
    .size HamMmxEncodeRepetitions,.-HamMmxEncodeRepetitions

/*
 * HamMmxDecodeRepetitions(nibbles = rdi, codes = rsi, data = rdx, syndromeScratch = rcx, 8
 * bytes): HAM_MMX_DECODE_REPETITIONS repetitions, each HAM_MMX_CODE_STEPS check steps of 8 code
 * bytes (SyndromeTerms, the syndromes stored in the scratch, AcceptNibbles) and
 * HAM_MMX_DATA_STEPS pack steps of 8 data bytes; EMMS after the last. Steps are counted down in
 * ecx; the repetition counter, the buffer pointers (r12 nibbles, r13 codes, r14 data) and the
 * scratch address (r15) are saved on the stack around the inner loops. Preserves rbx, rbp,
 * r12-r15; clobbers rax, rcx, mm0-mm2 and the x87 tag word until the final EMMS.
 */
    .p2align 6
    .globl HamMmxDecodeRepetitions
    .type HamMmxDecodeRepetitions,@function
HamMmxDecodeRepetitions:
    push r12
    push r13
    push r14
    push r15
    mov r12, rdi
    mov r13, rsi
    mov r14, rdx
    mov r15, rcx
    mov ecx, HAM_MMX_DECODE_REPETITIONS
.LHamMmxDecodeRepetitions_repetition:
    push rcx
    push r12
    push r13
    push r15
    mov ecx, HAM_MMX_CODE_STEPS
.LHamMmxDecodeRepetitions_check:
    movq mm0, [r13]
    call SyndromeTerms
    movq [r15], mm1
    call AcceptNibbles
    add r12, 8
    add r13, 8
    dec ecx
    jnz .LHamMmxDecodeRepetitions_check
    pop r15
    pop r13
    pop r12
    push r12
    push r14
    mov ecx, HAM_MMX_DATA_STEPS
.LHamMmxDecodeRepetitions_pack:
    movq mm0, [r12]                     // low nibbles
    movq mm1, [r12 + 8]                 // high nibbles
    psllq mm1, 4
    por mm0, mm1
    movq [r14], mm0
    add r12, 16
    add r14, 8
    dec ecx
    jnz .LHamMmxDecodeRepetitions_pack
    pop r14
    pop r12
    pop rcx
    dec ecx
    jnz .LHamMmxDecodeRepetitions_repetition
    emms
    pop r15
    pop r14
    pop r13
    pop r12
    ret
    .size HamMmxDecodeRepetitions,.-HamMmxDecodeRepetitions

    .section .note.GNU-stack,"",@progbits
