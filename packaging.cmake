# Installing the two programs as a Linux desktop program, and the Debian package (make package).
include(GNUInstallDirs)

install(TARGETS korvex2 korvex2-console RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop entry's name is the one the program gives Qt (setDesktopFileName), so window
# managers tie the windows to the entry and its icon.
install(FILES assets/korvex2.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/korvex2.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES assets/org.example.korvex2.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Debian keeps manual pages compressed.
set(KORVEX_MAN_PAGE ${CMAKE_BINARY_DIR}/korvex2-console.1.gz)
add_custom_command(OUTPUT ${KORVEX_MAN_PAGE}
    COMMAND gzip -9 -n -c ${CMAKE_SOURCE_DIR}/assets/korvex2-console.1 > ${KORVEX_MAN_PAGE}
    DEPENDS assets/korvex2-console.1
    COMMENT "Compressing the manual page")
add_custom_target(korvex_man_page ALL DEPENDS ${KORVEX_MAN_PAGE})
install(FILES ${KORVEX_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex2)
set(CPACK_PACKAGE_VERSION ${KORVEX_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvex 2 developers")
set(CPACK_PACKAGE_CONTACT "Korvex 2 developers <korvex2@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "processor benchmark with a comparison of machines")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Korvex 2 times ten fixed kernels (Hamming coding with 8-bit and 32-bit registers, MMX and\n"
    "SSE2; a colour conversion and cosine transform on the x87 unit and with SSE2) and compares\n"
    "the figures with the result files of other machines. korvex2 is the program with windows,\n"
    "korvex2-console the console runner, which can also write the run as JSON.")
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
