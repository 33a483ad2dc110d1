# Read by cpack before it builds the package (CPACK_PROJECT_CONFIG_FILE). cpack stamps every file
# of the package, and the archive itself, with the time SOURCE_DATE_EPOCH when set, as the
# reproducible-builds project defines it. Unset, it becomes the time of the last commit of a git
# checkout, so that the same commit gives the same bytes wherever and whenever it is built.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND git -C "${CPACK_TOLVANE_SOURCE_DIR}" log -1 --format=%ct
    OUTPUT_VARIABLE commit_time
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET
    RESULT_VARIABLE status)
  if(status EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
  else()
    message(STATUS "SOURCE_DATE_EPOCH is unset and ${CPACK_TOLVANE_SOURCE_DIR} is no git "
                   "checkout: the package's file times are the time of this build")
  endif()
endif()
