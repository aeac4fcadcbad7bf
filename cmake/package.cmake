# `cpack` in the build folder makes a Debian package of what install.cmake
# installs; its dependencies come from the libraries the programs link
# (shlibdeps), and the programs link only those they use (--as-needed).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME woodtick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "${WOODTICK_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
if(WOODTICK_HOMEPAGE_URL)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${WOODTICK_HOMEPAGE_URL})
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tally field samples unit by unit")
# CPack puts the summary first and indents the rest; an empty line parts
# the paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Woodtick counts field samples: an operator works through numbered units
and presses the hot key of an item's population for every item seen. The
population's sampling rule decides whether the item is also measured, and
a data record then opens for typing. All data of one tally lives in one
Metakit-format tally file (.tal).

The command woodtick-cli checks, packs and exports tally files, also as
CSV files or a SQLite database for analysis tools.")
include(CPack)
