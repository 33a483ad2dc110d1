# Writes the message catalogue template from the program's sources: every text passed to
# gettext, and every text marked N_ to be passed to it later (labels and headings, tabs and all).
#
#   cmake -DSOURCE_DIR=<checkout> -DOUTPUT=<file.pot> -DVERSION=<version> -P cmake/catalogue.cmake
#
# An existing OUTPUT that differs only in its creation date is left as it is, so regenerating
# an unchanged catalogue changes no file.
cmake_minimum_required(VERSION 3.25)

foreach(setting SOURCE_DIR OUTPUT VERSION)
  if(NOT DEFINED ${setting})
    message(FATAL_ERROR "catalogue.cmake: -D${setting}=... is required")
  endif()
endforeach()
find_program(XGETTEXT xgettext)
if(NOT XGETTEXT)
  message(FATAL_ERROR "xgettext not found: install gettext")
endif()

# Relative names, sorted, so the template reads the same in every checkout.
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.h")
list(SORT sources)

get_filename_component(output "${OUTPUT}" ABSOLUTE)
set(fresh "${output}.new")
execute_process(
  COMMAND "${XGETTEXT}" --language=C++ --from-code=UTF-8 --keyword=N_ --add-location=file
          --sort-by-file --package-name=tolvane "--package-version=${VERSION}"
          "--output=${fresh}" ${sources}
  WORKING_DIRECTORY "${SOURCE_DIR}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE "${fresh}")
  message(FATAL_ERROR "xgettext failed (${status})")
endif()

function(without_date file result)
  file(STRINGS "${file}" lines)
  list(FILTER lines EXCLUDE REGEX "^\"POT-Creation-Date: ")
  set(${result} "${lines}" PARENT_SCOPE)
endfunction()

if(EXISTS "${output}")
  without_date("${output}" old)
  without_date("${fresh}" new)
  if(old STREQUAL new)
    file(REMOVE "${fresh}")
    return()
  endif()
endif()
file(RENAME "${fresh}" "${output}")
message(STATUS "Wrote ${output}")
