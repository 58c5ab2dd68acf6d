# Installs the build into PREFIX and checks that the programs, the desktop entry, the icon, the
# metainfo, the manual pages, each package's copyright and changelog and the fleet playbook are
# where desktops, man and Debian look for them, and that the installed programs answer --version, both
# with the same kernel code; the program with windows answers --help and refuses an unknown option
# before it needs a display.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "install: exit ${status}: ${err}")
endif()
foreach(file bin/korvex2 bin/korvex2-console share/applications/korvex2.desktop
             share/icons/hicolor/scalable/apps/korvex2.svg
             share/metainfo/org.example.korvex2.metainfo.xml
             share/man/man1/korvex2-console.1.gz share/man/man1/korvex2.1.gz
             share/doc/korvex2/copyright share/doc/korvex2/changelog.Debian.gz
             share/doc/korvex2-console/copyright share/doc/korvex2-console/changelog.Debian.gz
             share/korvex2/korvex2-fleet.yml)
    if(NOT EXISTS ${PREFIX}/${file})
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
# The program with windows answers without a display too.
foreach(program korvex2 korvex2-console)
    execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY ${PREFIX}/bin/${program} --version
                    RESULT_VARIABLE status OUTPUT_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT out MATCHES "^${program} \\(Korvex 2\\) ")
        message(FATAL_ERROR "installed ${program} --version: exit ${status}, '${out}'")
    endif()
    string(REGEX MATCH "\nKernel code [0-9a-f]+\n" ${program}-code "${out}")
endforeach()
if("${korvex2-code}" STREQUAL "" OR NOT "${korvex2-code}" STREQUAL "${korvex2-console-code}")
    message(FATAL_ERROR "kernel code: korvex2 '${korvex2-code}', console '${korvex2-console-code}'")
endif()
execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY ${PREFIX}/bin/korvex2 --help
                RESULT_VARIABLE status OUTPUT_VARIABLE out)
if(NOT status EQUAL 0 OR NOT out MATCHES "^Usage: korvex2 ")
    message(FATAL_ERROR "installed korvex2 --help: exit ${status}, '${out}'")
endif()
execute_process(COMMAND env -u DISPLAY -u WAYLAND_DISPLAY ${PREFIX}/bin/korvex2 --bogus
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 2 OR NOT out STREQUAL "" OR NOT err MATCHES "^korvex2: [^\n]*'--bogus'[^\n]*\n$")
    message(FATAL_ERROR "installed korvex2 --bogus: exit ${status}, '${out}', '${err}'")
endif()
