/*
 * CalleeSavedRegistersChangedBy(body = rdi, a = rsi, b = rdx, c = rcx, d = r8): loads a
 * sentinel into each of rbx, rbp, r12-r15, calls body(a, b, c, d), and returns in eax one bit
 * per register whose sentinel did not survive (bit 0 rbx, 1 rbp, 2 r12, 3 r13, 4 r14, 5 r15).
 * Restores the caller's rbx, rbp, r12-r15; clobbers what the System V ABI lets a call clobber.
 */
    .intel_syntax noprefix
    .text

.macro EXPECT_SENTINEL register, sentinel, bit
    movabs rdx, \sentinel
    cmp \register, rdx
    je .LCalleeSavedRegistersChangedBy_kept\bit
    or eax, 1 << \bit
.LCalleeSavedRegistersChangedBy_kept\bit:
.endm

    .p2align 4
    .globl CalleeSavedRegistersChangedBy
    .type CalleeSavedRegistersChangedBy,@function
CalleeSavedRegistersChangedBy:
    push rbx
    push rbp
    push r12
    push r13
    push r14
    push r15
    sub rsp, 8                          // the body is called with the stack 16-byte aligned
    mov rax, rdi
    mov rdi, rsi
    mov rsi, rdx
    mov rdx, rcx
    mov rcx, r8
    movabs rbx, 0x0B0B0B0B0B0B0B0B
    movabs rbp, 0x0E0E0E0E0E0E0E0E
    movabs r12, 0x1212121212121212
    movabs r13, 0x1313131313131313
    movabs r14, 0x1414141414141414
    movabs r15, 0x1515151515151515
    call rax
    xor eax, eax
    EXPECT_SENTINEL rbx, 0x0B0B0B0B0B0B0B0B, 0
    EXPECT_SENTINEL rbp, 0x0E0E0E0E0E0E0E0E, 1
    EXPECT_SENTINEL r12, 0x1212121212121212, 2
    EXPECT_SENTINEL r13, 0x1313131313131313, 3
    EXPECT_SENTINEL r14, 0x1414141414141414, 4
    EXPECT_SENTINEL r15, 0x1515151515151515, 5
    add rsp, 8
    pop r15
    pop r14
    pop r13
    pop r12
    pop rbp
    pop rbx
    ret
    .size CalleeSavedRegistersChangedBy,.-CalleeSavedRegistersChangedBy

    .section .note.GNU-stack,"",@progbits
