# cmake -DLICENSE=FILE -DOUTPUT=FILE -DNAME=NAME -DCONTACT=CONTACT -P copyright.cmake
# Writes the Debian copyright file, in the machine-readable format (DEP-5), from the LICENSE
# file: its "Copyright (c) ..." line gives the Copyright field, and the text after that line,
# the MIT licence that Debian calls Expat, is the licence text. So the licence is written once.
file(STRINGS "${LICENSE}" lines)
set(copyright "")
set(text "")
foreach(line IN LISTS lines)
  if(copyright STREQUAL "")
    if(line MATCHES "^Copyright \\(c\\) (.+)$")
      set(copyright "${CMAKE_MATCH_1}")
    endif()
  elseif(line STREQUAL "")
    string(APPEND text "\n .")
  else()
    string(APPEND text "\n ${line}")
  endif()
endforeach()
if(copyright STREQUAL "" OR text STREQUAL "")
  message(FATAL_ERROR "${LICENSE} has no \"Copyright (c) ...\" line followed by the licence")
endif()
# The blank line after the copyright line is no paragraph break of the licence text.
string(REGEX REPLACE "^\n \\." "" text "${text}")
file(WRITE "${OUTPUT}.tmp"
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${NAME}\n"
  "Upstream-Contact: ${CONTACT}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${copyright}\n"
  "License: Expat${text}\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
