# The kernel block's fingerprint (kernelFingerprint.cmake) over small blocks assembled with
# debugging information: two of the same code agree, also when one comes from a folder with a
# longer name and after a comment (other debugging information before the relocations); one
# whose instruction reads another variable (the same bytes, another relocation) and one with
# another immediate each get a fingerprint of their own.
# Given ASSEMBLER, OBJCOPY, READELF, SOURCE (the source folder) and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/a/folder/with/a/longer/name)
set(blocks same again otherVariable otherImmediate)
set(same "mov rax, qword ptr [rip + first]\n    mov ecx, 801")
set(again "// the same code\n\n    ${same}")
set(otherVariable "mov rax, qword ptr [rip + second]\n    mov ecx, 801")
set(otherImmediate "mov rax, qword ptr [rip + first]\n    mov ecx, 802")
set(againFolder a/folder/with/a/longer/name/)
foreach(block IN LISTS blocks)
    set(source ${WORK}/${${block}Folder}${block}.S)
    file(WRITE ${source}
         "    .intel_syntax noprefix\n    .section .text.kernel_block,\"ax\"\n    ${${block}}\n")
    execute_process(COMMAND ${ASSEMBLER} -g -c ${source} -o ${WORK}/${block}.o
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
