# Installing the two programs as a Linux desktop program, and the Debian package (make package).
include(GNUInstallDirs)

install(TARGETS korvex2 korvex2-console RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop entry's name is the one the program gives Qt (setDesktopFileName), so window
# managers tie the windows to the entry and its icon.
install(FILES assets/korvex2.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/korvex2.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES assets/org.example.korvex2.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES fleet/korvex2-fleet.yml DESTINATION ${CMAKE_INSTALL_DATADIR}/korvex2)
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME korvex2)

# Debian keeps manual pages and changelogs compressed, without a time stamp (gzip -n), so that
# the package builds the same every time.
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
install(FILES ${CMAKE_BINARY_DIR}/korvex2.1.gz ${CMAKE_BINARY_DIR}/korvex2-console.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex2)
set(CPACK_PACKAGE_VERSION ${KORVEX_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvex 2 developers")
set(CPACK_PACKAGE_CONTACT "Korvex 2 developers <korvex2@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "processor benchmark with a comparison of machines")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Korvex 2 times ten fixed kernels (Hamming coding with 8-bit and 32-bit\n"
    "registers, MMX and SSE2; a colour conversion and cosine transform on the\n"
    "x87 unit and with SSE2) and compares the figures with the result files\n"
    "of other machines. korvex2 is the program with windows, korvex2-console\n"
    "the console runner, which can also write the run as JSON or CSV. An\n"
    "Ansible playbook runs it on a fleet of machines.")
# A Debian revision of its own, so the changelog is changelog.Debian.gz as for any packaged
# upstream release.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.example.org/korvex2/")
# The libraries come from dpkg-shlibdeps; Qt loads its platform plugins at run time, so the
# package that holds them is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
