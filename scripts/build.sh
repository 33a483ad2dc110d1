# build.sh: sourced by scripts/run and scripts/test: configures the build tree when needed, and
# builds.
# shellcheck shell=bash

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$repo/build"
jobs=$(nproc 2>/dev/null || echo 2)

# use_tree NAME: makes the functions below work on the build tree NAME (build-asan, say) of
# this checkout instead of build/.
use_tree() {
  build="$repo/$1"
}

# The value the cache holds for setting NAME, or nothing.
cached_value() {
  sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" 2>/dev/null
}

# Whether the cache already holds every -DNAME[:TYPE]=VALUE given.
settings_cached() {
  local setting name
  for setting in "$@"; do
    name=${setting#-D}
    name=${name%%=*}
    [[ $(cached_value "${name%%:*}") == "${setting#*=}" ]] || return 1
  done
}

# configure [-DNAME=VALUE...]: runs cmake's configure step unless the build tree is already
# configured for this checkout with these settings.
# shellcheck disable=SC2120 # called with no settings too
configure() {
  local cache="$build/CMakeCache.txt"
  # A tree configured for a checkout elsewhere (one copied or moved here) starts afresh.
  if [[ -f $cache ]] && ! [[ $(cached_value CMAKE_HOME_DIRECTORY) -ef $repo ]]; then
    cmake --fresh -S "$repo" -B "$build" "$@"
    return
  fi
  # A first configure that failed leaves a cache but no build system.
  if [[ -f $cache && (-f $build/Makefile || -f $build/build.ninja) ]] && settings_cached "$@"; then
    return 0
  fi
  cmake -S "$repo" -B "$build" "$@"
}

# build [targets...]: every target when none are given.
# shellcheck disable=SC2120 # called without targets too
build() {
  local targets=() target
  for target in "$@"; do targets+=(--target "$target"); done
  cmake --build "$build" -j "$jobs" "${targets[@]}"
}
