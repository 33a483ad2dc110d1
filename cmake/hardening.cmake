# The hardening flags of every build, the set Debian's dpkg-buildflags gives with
# hardening=+all: tolvane parses files and kernel buffers that others can shape, so it is built
# at least as hard as the tools beside it, by whoever builds it.
#
# A flag the builder already chose, in either sense (-fno-stack-protector as much as
# -fstack-protector-strong), is left to them: where dpkg-buildflags drives the build (the
# package), its CXXFLAGS, CPPFLAGS and LDFLAGS reach CMAKE_CXX_FLAGS and
# CMAKE_EXE_LINKER_FLAGS, and only what it does not give is added here.
include(CheckCXXCompilerFlag)
include(CheckPIESupported)

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
check_pie_supported(LANGUAGES CXX)

# tolvane_harden_compile(PATTERN FLAG...): FLAG... unless CMAKE_CXX_FLAGS matches PATTERN.
function(tolvane_harden_compile pattern)
  if(NOT CMAKE_CXX_FLAGS MATCHES "${pattern}")
    add_compile_options(${ARGN})
  endif()
endfunction()

tolvane_harden_compile("-f(no-)?stack-protector" -fstack-protector-strong)
tolvane_harden_compile("format-security" -Wformat -Werror=format-security)
# Both are code generation for some processors only (-fcf-protection is x86's).
foreach(flag -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "tolvane_has${flag}" supported)
  check_cxx_compiler_flag(${flag} ${supported})
  if(${supported})
    string(REGEX REPLACE "^-f" "-f(no-)?" either_sense "${flag}")
    tolvane_harden_compile("${either_sense}" ${flag})
  endif()
endforeach()
# The checked functions need the optimiser to know the sizes; the sanitizers check every access
# themselves, and the checks would hide from them what they are there to find.
# tolvane_fortified: a condition, true where the program is built with them.
set(tolvane_fortified 1)
if(TOLVANE_SANITIZE OR TOLVANE_FUZZ)
  set(tolvane_fortified 0)
elseif(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
  set(tolvane_fortified "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_definitions("$<${tolvane_fortified}:_FORTIFY_SOURCE=2>")
endif()

# Relocations read-only once the loader has made them all, at start.
if(NOT CMAKE_EXE_LINKER_FLAGS MATCHES "relro")
  add_link_options(LINKER:-z,relro)
endif()
if(NOT CMAKE_EXE_LINKER_FLAGS MATCHES "-z,?(now|lazy)")
  add_link_options(LINKER:-z,now)
endif()
