# What `cmake --install` puts where, and the Debian package built from it
# with `cpack -G DEB`: the executable, the desktop entry and the scalable
# application icon, at the places every desktop looks.
include(GNUInstallDirs)

install(TARGETS quotara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/com.orlenby.quotara.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/com.orlenby.quotara.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quotara)
set(CPACK_PACKAGE_VENDOR orlenby)
set(CPACK_PACKAGE_CONTACT "Quotara Developers <dev@quotara.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Gold, board and fund figures of the Chinese markets in the tray or status bar")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries come from dpkg-shlibdeps. What is loaded at run time
# without being linked: the CJK fonts every text needs, the Wayland
# platform plugin (X11's comes with Qt's GUI library) and Qt's own texts in
# Chinese (a text field's context menu).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qt6-wayland, qt6-translations-l10n")
include(CPack)
