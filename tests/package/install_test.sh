#!/usr/bin/env bash
# install_test.sh BUILD-DIR: cmake --install puts the program, its manual page, its bash
# completion, the README and the example configuration under the prefix, where man and
# bash-completion look for them; the README names no file that is not installed.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
build=$1
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; fail "cmake --install failed"; finish; }

for file in bin/tolvane share/man/man1/tolvane.1.gz share/bash-completion/completions/tolvane \
  share/doc/tolvane/README share/doc/tolvane/examples/slp.conf; do
  [[ -f $prefix/$file ]] || fail "$file is not installed"
done
[[ -x $prefix/bin/tolvane ]] || fail "the installed program is not executable"

# The installed README names only files that are there: a relative path is one beside it, an
# absolute one the system's, never one under the prefix, which the installer chooses; and no
# document of the source tree (*.md).
readme=$prefix/share/doc/tolvane/README
while IFS= read -r path; do
  case $path in
    /usr/*) fail "the installed README names $path, which depends on the prefix" ;;
    /*) ;;
    *.md | */*) [[ -e ${readme%/*}/$path ]] || fail "the installed README names $path, not there" ;;
  esac
done < <(grep -oE '[[:alnum:]_./-]*(/[[:alnum:]_.-]+|[.]md)' "$readme")

"$prefix/bin/tolvane" -T >"$scratch/report" || fail "the installed program fails with -T"
"$build/tolvane" -T | cmp -s - "$scratch/report" ||
  fail "the installed program's timers differ from the build's"

# man finds the page by name once the prefix is on its path.
if command -v man >/dev/null; then
  found=$(MANPATH=$prefix/share/man man -w tolvane 2>&1)
  [[ $found == "$prefix/share/man/man1/tolvane.1.gz" ]] || fail "man -w tolvane gave: $found"
  MANPATH=$prefix/share/man MANWIDTH=80 man tolvane 2>&1 | grep -Eq '^ *tolvane +- +show' ||
    fail "man tolvane does not show the page"
fi

# bash-completion loads the completion on demand from the prefix's data directory.
loader=/usr/share/bash-completion/bash_completion
if [[ -f $loader ]]; then
  loaded=$(HOME=$scratch XDG_DATA_DIRS=$prefix/share bash --norc --noprofile -c '
    source "$1"
    __load_completion tolvane && complete -p tolvane' loader "$loader" 2>&1)
  [[ $loaded == *" tolvane" ]] || fail "bash-completion does not load the completion: $loaded"
else
  echo "bash-completion is not installed; its loader is not checked" >&2
fi

finish
