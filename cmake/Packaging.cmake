# Install rules and the Debian package (cpack -G DEB): the programs and their browser module, the desktop entry and
# icons, the default alert sound, the man pages and the headless user service. Dependencies are
# worked out from the binaries by dpkg-shlibdeps.
include(GNUInstallDirs)
set(PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS zorvik zorvik-headless zorvik-cli zorvik-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs find the browser module at ../lib/zorvik from their own folder.
install(TARGETS zorvik-browser LIBRARY DESTINATION ${ZORVIK_BROWSER_MODULE_DIR})
install(FILES ${PACKAGING_DIR}/zorvik.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_DIR}/zorvik.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PACKAGING_DIR}/zorvik.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
install(FILES ${PACKAGING_DIR}/alert.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvik)
install(FILES ${PACKAGING_DIR}/man/zorvik.1 ${PACKAGING_DIR}/man/zorvik-headless.1 ${PACKAGING_DIR}/man/zorvik-cli.1
              ${PACKAGING_DIR}/man/zorvik-sim.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PACKAGING_DIR}/zorvik-headless.service DESTINATION lib/systemd/user)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zorvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zorvik")
set(CPACK_PACKAGE_CONTACT "Zorvik maintainers <maintainers@zorvik.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lottery draw monitor with alerts and multiplier-plan betting")
set(CPACK_PACKAGE_DESCRIPTION
    "Follows the draws of fast-cycle five-digit lotteries, judges user-defined monitors after\
 every draw, raises tips and sounds, and can bet automatically with a multiplier plan.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no binary names them: the window's platform plugin and Qt's texts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n, apprise")
# The records database needs Qt's SQLite driver, a plugin no binary names either; the simulated
# platforms' pages load Debian's jQuery.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_STRIP_FILES ON)
include(CPack)
