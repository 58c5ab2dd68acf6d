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

# korvex_layer(<name> HEADERS <header>... [SOURCES <file>...] [OBJECTS <object library>...]
#              [USES <target>...] [PRIVATE_USES <target>...])
# HEADERS and SOURCES are paths below the source folder; OBJECTS are object libraries whose
# objects join the layer and which compile against the layer's own headers and USES.
function(korvex_layer name)
    cmake_parse_arguments(LAYER "" "" "HEADERS;SOURCES;OBJECTS;USES;PRIVATE_USES" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/layers/${name})
    file(REMOVE_RECURSE ${root})
    foreach(header IN LISTS LAYER_HEADERS)
        get_filename_component(folder ${header} DIRECTORY)
        file(MAKE_DIRECTORY ${root}/${folder})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
    set(objects "")
    foreach(library IN LISTS LAYER_OBJECTS)
        target_include_directories(${library} PRIVATE ${root})
        target_link_libraries(${library} PRIVATE ${LAYER_USES})
        list(APPEND objects $<TARGET_OBJECTS:${library}>)
    endforeach()
    add_library(${name} STATIC ${LAYER_SOURCES} ${LAYER_HEADERS} ${objects})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${LAYER_USES} PRIVATE ${LAYER_PRIVATE_USES})
endfunction()
