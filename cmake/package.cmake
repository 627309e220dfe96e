# `cpack -G DEB` in the build folder packs what `cmake --install` installs,
# under /usr, into a Debian package whose dependencies dpkg-shlibdeps finds.
set(CPACK_PACKAGE_NAME tintor)
set(CPACK_PACKAGE_VENDOR "Reru Zuvidivi")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Recolours SWF (Flash) movies and nothing else in them")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Reru Zuvidivi")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Qt's own texts for the file dialogs and standard buttons.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
