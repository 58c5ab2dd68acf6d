# The kernel block's fingerprint (kernelFingerprint.cmake) over three small blocks: two
# assembled from the same code agree; one whose instruction reads another variable (the same
# bytes, another relocation) and one with another immediate each get a fingerprint of their own.
# Given ASSEMBLER, OBJCOPY, READELF, SOURCE (the source folder) and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(blocks same again otherVariable otherImmediate)
set(same "mov rax, qword ptr [rip + first]\n    mov ecx, 801")
set(again "${same}")
set(otherVariable "mov rax, qword ptr [rip + second]\n    mov ecx, 801")
set(otherImmediate "mov rax, qword ptr [rip + first]\n    mov ecx, 802")
foreach(block IN LISTS blocks)
    file(WRITE ${WORK}/${block}.s
         "    .intel_syntax noprefix\n    .section .text.kernel_block,\"ax\"\n    ${${block}}\n")
    execute_process(COMMAND ${ASSEMBLER} -c ${WORK}/${block}.s -o ${WORK}/${block}.o
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_COMMAND} -DBLOCK=${WORK}/${block}.o
                            -DOUTPUT=${WORK}/${block}.cpp -DFUNCTION=fingerprint
                            -DOBJCOPY=${OBJCOPY} -DREADELF=${READELF}
                            -P ${SOURCE}/kernelFingerprint.cmake
                    COMMAND_ERROR_IS_FATAL ANY)
    file(READ ${WORK}/${block}.cpp ${block}Fingerprint)
endforeach()
if(NOT sameFingerprint STREQUAL againFingerprint)
    message(FATAL_ERROR "the same code, two fingerprints:\n${sameFingerprint}${againFingerprint}")
endif()
foreach(block otherVariable otherImmediate)
    if(${block}Fingerprint STREQUAL sameFingerprint)
        message(FATAL_ERROR "${block}: the fingerprint of the first block:\n${sameFingerprint}")
    endif()
endforeach()
