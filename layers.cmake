# The program is built in layers, each a static library that may use only the layers below it:
#
#   korvex_platform   platform/            the system's services
#   korvex_kernels    hamming/ transform/  the ten kernels, their work area and their type
#   korvex_results    results/ (no Qt)     the result table, result files, comparison rows
#   korvex_run        testrun/ (no Qt)     harness, test sequence, test table, console parts
#   korvex_ui         testrun/ results/    the Qt windows
#
# A layer's headers are reachable only through an include folder of its own
# (build/layers/<layer>/, links to the headers), which the layers above it see by linking it.
# Nothing else is on the include path, so a file that includes a header of a layer above its
# own, or a Qt header below the windows, does not compile.

# korvex_layer(<name> HEADERS <header>... [SOURCES <file>...]
#              [PINNED <object library>... FINGERPRINT <function>]
#              [USES <target>...] [PRIVATE_USES <target>...])
# HEADERS and SOURCES are paths below the source folder. PINNED are object libraries whose
# objects join the layer, compiled against the layer's own headers and USES, as one block of
# code laid out once (korvex_pinned_block below): a final link can place the block only as a
# whole, on a page boundary, so every program that links the layer runs the same code at the
# same offset within its page, every function starting on a 64-byte boundary. FINGERPRINT
# names the function (declared in one of HEADERS) that returns the block's fingerprint.
function(korvex_layer name)
    cmake_parse_arguments(LAYER "" "FINGERPRINT" "HEADERS;SOURCES;PINNED;USES;PRIVATE_USES"
                          ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(REMOVE_RECURSE ${root})
    foreach(header IN LISTS LAYER_HEADERS)
        get_filename_component(folder ${header} DIRECTORY)
        file(MAKE_DIRECTORY ${root}/${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
    set(objects "")
    foreach(library IN LISTS LAYER_PINNED)
        target_include_directories(${library} PRIVATE ${root})
        target_link_libraries(${library} PRIVATE ${LAYER_USES})
        # Assembly routines align themselves (.p2align 6).
        target_compile_options(${library} PRIVATE
            $<$<COMPILE_LANGUAGE:CXX>:-falign-functions=64>)
    endforeach()
    if(LAYER_PINNED)
        korvex_pinned_block(${name} "${LAYER_FINGERPRINT}" ${LAYER_PINNED})
        set(objects ${${name}_BLOCK_FILES})
    endif()
    add_library(${name} STATIC ${LAYER_SOURCES} ${LAYER_HEADERS} ${objects})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${LAYER_USES} PRIVATE ${LAYER_PRIVATE_USES})
endfunction()

# korvex_pinned_block(<name> <fingerprint function> <object library>...)
# Combines the libraries' objects, in the order given, into the relocatable object
# <name>_block/block.o (`ld -r`, kernelBlock.ld): all their code in one section with page
# alignment, their constants in one section of their own. A static library holds it as one
# member, so a program takes all of it or nothing, and its inner layout is the same in every
# program. Also writes <name>_block/fingerprint.cpp, which defines the fingerprint function
# (kernelFingerprint.cmake). Sets <name>_BLOCK_FILES to both files.
function(korvex_pinned_block name fingerprint)
    set(folder ${CMAKE_BINARY_DIR}/${name}_block)
    set(objects "")
    foreach(library IN LISTS ARGN)
        list(APPEND objects $<TARGET_OBJECTS:${library}>)
    endforeach()
    add_custom_command(OUTPUT ${folder}/block.o ${folder}/fingerprint.cpp
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_LINKER} -r -T ${CMAKE_SOURCE_DIR}/kernelBlock.ld
                -o ${folder}/combined.o ${objects}
        COMMAND ${CMAKE_OBJCOPY} --set-section-alignment .text.kernel_block=4096
                --set-section-alignment .rodata.kernel_block=64
                ${folder}/combined.o ${folder}/block.o
        COMMAND ${CMAKE_COMMAND} -DBLOCK=${folder}/block.o -DOUTPUT=${folder}/fingerprint.cpp
                -DFUNCTION=${fingerprint} -DOBJCOPY=${CMAKE_OBJCOPY} -DREADELF=${CMAKE_READELF}
                -P ${CMAKE_SOURCE_DIR}/kernelFingerprint.cmake
        DEPENDS ${ARGN} ${objects} ${CMAKE_SOURCE_DIR}/kernelBlock.ld
                ${CMAKE_SOURCE_DIR}/kernelFingerprint.cmake
        COMMENT "Laying out the kernel block of ${name}"
        COMMAND_EXPAND_LISTS VERBATIM)
    set(${name}_BLOCK_FILES ${folder}/block.o ${folder}/fingerprint.cpp PARENT_SCOPE)
endfunction()
