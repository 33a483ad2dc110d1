# What ships besides the build: install rules, the Debian package, and the target that
# regenerates the message catalogue template.
include(GNUInstallDirs)

# Debian wants manual pages compressed; -n keeps the name and date out of the archive, so the
# same page gives the same bytes.
set(tolvane_man_page "${PROJECT_BINARY_DIR}/tolvane.1.gz")
add_custom_command(
  OUTPUT "${tolvane_man_page}"
  COMMAND gzip -9 -n -c "${PROJECT_SOURCE_DIR}/man/tolvane.1" > "${tolvane_man_page}"
  DEPENDS "${PROJECT_SOURCE_DIR}/man/tolvane.1"
  COMMENT "Compressing the manual page"
  VERBATIM)
add_custom_target(tolvane_man_page ALL DEPENDS "${tolvane_man_page}")

install(TARGETS tolvane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${tolvane_man_page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# bash-completion loads completions/<command> on first use from each data directory.
install(FILES "${PROJECT_SOURCE_DIR}/completion/tolvane"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "tolvane developers <tolvane@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tolvane_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line of the package's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "tolvane prints the Service Location Protocol configuration in effect, property by\n"
    "property as the SLP library reports it, and the local Ethernet interfaces with their\n"
    "addresses, state flags, MTU and traffic totals.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
# Depends comes from the shared libraries the program is actually linked with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# cmake --build build --target pot: regenerates po/tolvane.pot after texts change.
add_custom_target(
  pot
  COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
          "-DOUTPUT=${PROJECT_SOURCE_DIR}/po/tolvane.pot" "-DVERSION=${PROJECT_VERSION}"
          -P "${PROJECT_SOURCE_DIR}/cmake/catalogue.cmake"
  COMMENT "Regenerating po/tolvane.pot"
  VERBATIM)
