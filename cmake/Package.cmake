# A Debian package of the installation: `cpack -G DEB` in the build
# directory writes veska_VERSION_ARCH.deb, installing into /usr.
set(CPACK_PACKAGE_NAME veska)
set(CPACK_PACKAGE_VENDOR "The Veska developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "data-modelling tool for entity-relationship diagrams")
set(CPACK_PACKAGE_DESCRIPTION
  "Veska draws an information model as an entity-relationship diagram:\n"
  "entities with keys, attributes and indexes, relations that carry keys\n"
  "into their children, domains and text labels. It checks and lists the\n"
  "model in reports, builds desktop database tables from it and reads such\n"
  "tables back into a model. The package holds the desktop program veska\n"
  "and the command-line companion veska-cli.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(VESKA_PACKAGE_MAINTAINER "Veska developers <veska@localhost>" CACHE STRING
  "Maintainer field of the Debian package: name <e-mail address>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VESKA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends: the shared libraries the programs link (Qt 6, the C++ runtime),
# found by dpkg-shlibdeps with the versions the build saw. Qt loads its
# platform plugins at run time, where dpkg-shlibdeps cannot see them; the
# X11 one (xcb) and veska-cli's offscreen one come with libqt6gui6, which
# the programs link, so nothing needs adding by hand.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Liberation Sans has the metrics the diagrams' boxes are measured in;
# qt6-wayland lets the program run as a Wayland client instead of through
# X11.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-wayland")

include(CPack)
