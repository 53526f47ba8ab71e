# Installing and the Debian package: `cpack -G DEB` in a build folder makes
# tcmcare_<version>_<arch>.deb, which a shop installs with `apt install ./tcmcare_*.deb`.
include(GNUInstallDirs)

install(TARGETS tcmcare tcmcare-admin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/tcmcare-start DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tcmcare.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/tcmcare.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The programs carry the seed and the schema steps inside them; the text is
# installed beside them for review.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/seed/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tcmcare/seed)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sql/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tcmcare/sql)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tcmcare)
set(CPACK_PACKAGE_VENDOR "tcmcare")
set(CPACK_PACKAGE_CONTACT "tcmcare <tcmcare@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "中医体质辨识与药膳 — counter client of a traditional Chinese medicine shop")
set(CPACK_PACKAGE_INSTALL_DIRECTORY tcmcare)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the shared-library scan cannot see: the Qt plugins the programs load,
# the fonts of the screens and of the printed sheet, and the PostgreSQL driver.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, libqt6sql6-sqlite, libqt6sql6-psql, qt6-translations-l10n, fonts-noto-cjk, fonts-arphic-uming, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups")
include(CPack)
