# The program is built in layers, each a static library that may use only the layers below it:
#
#   korvex_platform   platform/            the system's services
#   korvex_kernels    kernel/              the kernels' type, their work area
#                     hamming/ transform/  the ten kernels
#   korvex_results    record/ (no Qt)      the result table, result files, run reports, statistics
#                     renderers/           text, JSON, CSV and the HTML page
#                     results/             the comparison's rows (cpubenchUnit)
#   korvex_run        engine/ (no Qt)      harness, test sequence, test table, run on every core
#                     console/             the console runner's parts, the command lines
#   korvex_ui         ui/                  what the windows share
#                     testrun/ results/    the Qt windows and the windows program's start-up
#
# The top-level CMakeLists.txt declares the layers, each after those it uses (korvex_layer);
# then each folder's CMakeLists.txt hands its files to the layer each belongs to
# (korvex_layer_files), so a folder that holds files of several layers lists them under each
# layer apart.
#
# A layer's headers are reachable only through an include folder of its own
# (build/layers/<layer>/, links to the headers), which the layers above it see by linking it.
# Nothing else is on the include path, so a file that includes a header of a layer above its
# own, or a Qt header below the windows, does not compile.

# korvex_layer(<name> [PINNED <object library>... FINGERPRINT <function>]
#              [USES <target>...] [PRIVATE_USES <target>...])
# Declares the layer: a static library without files yet and its empty include folder.
# PINNED names object libraries, created here without files, whose objects join the layer,
# compiled against the layer's own headers and USES, as one block of code laid out once
# (korvex_pinned_block below): a final link can place the block only as a whole, on a page
# boundary, so every program that links the layer runs the same code at the same offset within
# its page, every function starting on a 64-byte boundary. The block keeps the order given here,
# and within a library the order its files were added in. FINGERPRINT names the function
# (declared in one of the layer's headers) that returns the block's fingerprint.
function(korvex_layer name)
    cmake_parse_arguments(LAYER "" "FINGERPRINT" "PINNED;USES;PRIVATE_USES" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root})
    set(objects "")
    foreach(library IN LISTS LAYER_PINNED)
        add_library(${library} OBJECT)
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
    add_library(${name} STATIC ${objects})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${LAYER_USES} PRIVATE ${LAYER_PRIVATE_USES})
endfunction()

# korvex_layer_files(<layer> [HEADERS <header>...] [SOURCES <file>...])
# Called in a folder's CMakeLists.txt: adds files of that folder to a declared layer. Its
# HEADERS get links in the layer's include folder, included by their path from the source
# folder ("engine/sequenceUnit.h"); SOURCES are compiled into the layer's library. The pinned
# kernels' files go to their object library instead (target_sources).
function(korvex_layer_files layer)
    cmake_parse_arguments(LAYER "" "" "HEADERS;SOURCES" ${ARGN})
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set(root ${CMAKE_BINARY_DIR}/layers/${layer}/${folder})
    file(MAKE_DIRECTORY ${root})
    foreach(header IN LISTS LAYER_HEADERS)
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
    target_sources(${layer} PRIVATE ${LAYER_SOURCES} ${LAYER_HEADERS})
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
