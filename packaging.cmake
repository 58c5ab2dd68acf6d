# Installing the two programs as a Linux desktop program, and the Debian packages (make package):
# two from one build, as two install components. korvex2-console (component console) is the
# console runner with its manual page and the fleet playbook, and links no Qt, so servers need
# none; korvex2 (component windows) is the program with windows, its desktop entry, icon,
# metainfo and manual page, and depends on korvex2-console.
include(GNUInstallDirs)

install(TARGETS korvex2-console RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT console)
install(TARGETS korvex2 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT windows)
# The desktop entry's name is the one the program gives Qt (setDesktopFileName), so window
# managers tie the windows to the entry and its icon.
install(FILES assets/korvex2.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT windows)
install(FILES assets/korvex2.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT windows)
install(FILES assets/org.example.korvex2.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT windows)
install(FILES fleet/korvex2-fleet.yml DESTINATION ${CMAKE_INSTALL_DATADIR}/korvex2
        COMPONENT console)

# Debian keeps manual pages and changelogs compressed, without a time stamp (gzip -n), so that
# the packages build the same every time.
set(KORVEX_COMPRESSED "")
foreach(source assets/korvex2.1 assets/korvex2-console.1 packaging/changelog.Debian)
    get_filename_component(name ${source} NAME)
    set(compressed ${CMAKE_BINARY_DIR}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing ${name}")
    list(APPEND KORVEX_COMPRESSED ${compressed})
endforeach()
add_custom_target(korvex_compressed_docs ALL DEPENDS ${KORVEX_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/korvex2-console.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT console)
install(FILES ${CMAKE_BINARY_DIR}/korvex2.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT windows)
# Each package carries the copyright, the changelog and the lintian overrides under its own name.
function(korvex_package_documents package component)
    install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
    install(FILES packaging/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
            COMPONENT ${component})
endfunction()
korvex_package_documents(korvex2-console console)
korvex_package_documents(korvex2 windows)

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL console windows)
set(CPACK_PACKAGE_NAME korvex2)
set(CPACK_PACKAGE_VERSION ${KORVEX_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvex 2 developers")
set(CPACK_PACKAGE_CONTACT "Korvex 2 developers <korvex2@example.org>")
# A Debian revision of its own, so the changelog is changelog.Debian.gz as for any packaged
# upstream release.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.org/korvex2/")
# The libraries come from dpkg-shlibdeps, for each package from its own programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_CONSOLE_PACKAGE_NAME korvex2-console)
string(CONCAT CPACK_COMPONENT_CONSOLE_DESCRIPTION
    "processor benchmark with a comparison of machines, console runner\n"
    "Korvex 2 times ten fixed kernels (Hamming coding with 8-bit and 32-bit\n"
    "registers, MMX and SSE2; a colour conversion and cosine transform on the\n"
    "x87 unit and with SSE2) and compares the figures with the result files\n"
    "of other machines. korvex2-console runs it without windows and can also\n"
    "write the run as JSON or CSV; it needs no graphical libraries, so it\n"
    "suits servers. An Ansible playbook runs it on a fleet of machines.")

set(CPACK_DEBIAN_WINDOWS_PACKAGE_NAME korvex2)
string(CONCAT CPACK_COMPONENT_WINDOWS_DESCRIPTION
    "processor benchmark with a comparison of machines, with windows\n"
    "Korvex 2 times ten fixed kernels (Hamming coding with 8-bit and 32-bit\n"
    "registers, MMX and SSE2; a colour conversion and cosine transform on the\n"
    "x87 unit and with SSE2) and compares the figures with the result files\n"
    "of other machines. korvex2 is the program with windows (in Russian) and\n"
    "its comparison window; the console runner comes with korvex2-console.")
# Qt loads its platform plugins at run time, so the package that holds them is named here.
set(CPACK_DEBIAN_WINDOWS_PACKAGE_DEPENDS
    "korvex2-console (= ${KORVEX_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}), qt6-qpa-plugins")
set(CPACK_DEBIAN_WINDOWS_PACKAGE_RECOMMENDS "fonts-dejavu-extra, qt6-translations-l10n")
include(CPack)
