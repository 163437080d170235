# The Debian package: what `cmake --install` puts under the prefix, in /usr,
# with its dependencies found from the shared libraries the program links.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrel)
set(CPACK_PACKAGE_VENDOR Corvana)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop web browser that keeps many sites open at once")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrel keeps many web pages open at once, each a site in one main window reached through a row of tabs. "
    "Around Qt WebEngine it adds typed-text resolution, popup blocking, quick search, AutoLogin, a form filler, "
    "site groups, favorites and history panes, skins, interface languages and custom scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvana Kestrel team <kestrel@corvana.com>")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Pages need a font; mail and the desktop's programs are reached through xdg-utils.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_PROVIDES "www-browser")
set(CPACK_STRIP_FILES ON)
include(CPack)
