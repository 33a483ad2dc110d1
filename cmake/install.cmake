# What ships besides the build: the install rules, and the target that regenerates the message
# catalogue template. The Debian package (debian/) installs through these rules too.
include(GNUInstallDirs)

# The page is installed compressed, as man finds it on Debian; -n keeps the name and date out of
# the archive, so the same page gives the same bytes.
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
# The README of the installed package (README.md is the source tree's: it points at files that
# are not installed), and the test suite's sample configuration as a commented example: the
# tests pin the report for that very file, so the example cannot drift from what the program does.
install(FILES "${PROJECT_SOURCE_DIR}/doc/README" DESTINATION "${CMAKE_INSTALL_DOCDIR}")
install(FILES "${PROJECT_SOURCE_DIR}/tests/cli/sample.conf"
        DESTINATION "${CMAKE_INSTALL_DOCDIR}/examples" RENAME slp.conf)

# cmake --build build --target pot: regenerates po/tolvane.pot after texts change.
add_custom_target(
  pot
  COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
          "-DOUTPUT=${PROJECT_SOURCE_DIR}/po/tolvane.pot" "-DVERSION=${PROJECT_VERSION}"
          -P "${PROJECT_SOURCE_DIR}/cmake/catalogue.cmake"
  COMMENT "Regenerating po/tolvane.pot"
  VERBATIM)
