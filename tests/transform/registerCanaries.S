// Test helper: calls an assembly body with known values in the callee-saved registers and
// reports which of them it did not restore.

    .intel_syntax noprefix
    .text

// CallWithRegisterCanaries(body, planes, intermediate, pixels) -> mask of changed registers.
// Inputs: rdi = body, rsi, rdx, rcx = the body's three arguments.
// Registers: rax, rcx, rdx, rsi, rdi, r8-r11 and whatever the body clobbers; rbx, rbp, r12-r15
// saved and restored.
// Work: one call of the body, six comparisons.
    .globl CallWithRegisterCanaries
    .type CallWithRegisterCanaries,@function
CallWithRegisterCanaries:
    push rbx
    push rbp
    push r12
    push r13
    push r14
    push r15
    sub rsp, 8                                              // 16-byte alignment at the call
    mov rax, rdi
    mov rdi, rsi
    mov rsi, rdx
    mov rdx, rcx
    movabs rbx, 0x0B0B0B0B0B0B0B01
    movabs rbp, 0x0B0B0B0B0B0B0B02
    movabs r12, 0x0B0B0B0B0B0B0B03
    movabs r13, 0x0B0B0B0B0B0B0B04
    movabs r14, 0x0B0B0B0B0B0B0B05
    movabs r15, 0x0B0B0B0B0B0B0B06
    call rax

    xor eax, eax
    movabs rcx, 0x0B0B0B0B0B0B0B01
    cmp rbx, rcx
    je .LCallWithRegisterCanaries_rbpCheck
    or eax, 1
.LCallWithRegisterCanaries_rbpCheck:
    movabs rcx, 0x0B0B0B0B0B0B0B02
    cmp rbp, rcx
    je .LCallWithRegisterCanaries_r12Check
    or eax, 2
.LCallWithRegisterCanaries_r12Check:
    movabs rcx, 0x0B0B0B0B0B0B0B03
    cmp r12, rcx
    je .LCallWithRegisterCanaries_r13Check
    or eax, 4
.LCallWithRegisterCanaries_r13Check:
    movabs rcx, 0x0B0B0B0B0B0B0B04
    cmp r13, rcx
    je .LCallWithRegisterCanaries_r14Check
    or eax, 8
.LCallWithRegisterCanaries_r14Check:
    movabs rcx, 0x0B0B0B0B0B0B0B05
    cmp r14, rcx
    je .LCallWithRegisterCanaries_r15Check
    or eax, 16
.LCallWithRegisterCanaries_r15Check:
    movabs rcx, 0x0B0B0B0B0B0B0B06
    cmp r15, rcx
    je .LCallWithRegisterCanaries_done
    or eax, 32
.LCallWithRegisterCanaries_done:
    add rsp, 8
    pop r15
    pop r14
    pop r13
    pop r12
    pop rbp
    pop rbx
    ret
    .size CallWithRegisterCanaries,.-CallWithRegisterCanaries

    .section .note.GNU-stack,"",@progbits
