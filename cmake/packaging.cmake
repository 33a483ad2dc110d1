# What ships besides the build: install rules, the Debian package, and the target that
# regenerates the message catalogue template.
include(GNUInstallDirs)

# The package's maintainer: a reserved domain, an address that belongs to nobody else.
set(tolvane_maintainer "tolvane developers <maintainers@tolvane.invalid>")

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

# The package's documents, as Debian places them in /usr/share/doc/tolvane: the copyright file
# in the machine-readable format, written from LICENSE, and the changelog of a native package,
# packaging/changelog in Debian's format, compressed like the manual page.
set(tolvane_copyright "${PROJECT_BINARY_DIR}/copyright")
add_custom_command(
  OUTPUT "${tolvane_copyright}"
  COMMAND "${CMAKE_COMMAND}" "-DLICENSE=${PROJECT_SOURCE_DIR}/LICENSE"
          "-DOUTPUT=${tolvane_copyright}" "-DNAME=${PROJECT_NAME}"
          "-DCONTACT=${tolvane_maintainer}" -P "${PROJECT_SOURCE_DIR}/cmake/copyright.cmake"
  DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/cmake/copyright.cmake"
  COMMENT "Writing the copyright file from LICENSE"
  VERBATIM)
set(tolvane_changelog "${PROJECT_BINARY_DIR}/changelog.gz")
add_custom_command(
  OUTPUT "${tolvane_changelog}"
  COMMAND gzip -9 -n -c "${PROJECT_SOURCE_DIR}/packaging/changelog" > "${tolvane_changelog}"
  DEPENDS "${PROJECT_SOURCE_DIR}/packaging/changelog"
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(tolvane_doc_files ALL DEPENDS "${tolvane_copyright}" "${tolvane_changelog}")

# Directories as Debian wants them, whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS tolvane RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${tolvane_man_page}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# bash-completion loads completions/<command> on first use from each data directory.
install(FILES "${PROJECT_SOURCE_DIR}/completion/tolvane"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES "${tolvane_copyright}" "${tolvane_changelog}"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "${tolvane_maintainer}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tolvane_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line of the package's description; this is the rest, in lines
# of at most 80 characters as Debian wants them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "tolvane prints the Service Location Protocol configuration in effect,\n"
    "property by property as the SLP library reports it, and the local Ethernet\n"
    "interfaces with their addresses, state flags, MTU and traffic totals.")
string(JOIN "" CPACK_DEBIAN_PACKAGE_DESCRIPTION ${CPACK_DEBIAN_PACKAGE_DESCRIPTION})
# Depends comes from the shared libraries the program is actually linked with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Reproducible: cpack gives every file of the package, and the archive itself, the time
# SOURCE_DATE_EPOCH; cmake/cpack_project.cmake sets it to the last commit's time when unset.
set(CPACK_TOLVANE_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${PROJECT_SOURCE_DIR}/cmake/cpack_project.cmake")
include(CPack)

# cmake --build build --target pot: regenerates po/tolvane.pot after texts change.
add_custom_target(
  pot
  COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
          "-DOUTPUT=${PROJECT_SOURCE_DIR}/po/tolvane.pot" "-DVERSION=${PROJECT_VERSION}"
          -P "${PROJECT_SOURCE_DIR}/cmake/catalogue.cmake"
  COMMENT "Regenerating po/tolvane.pot"
  VERBATIM)
