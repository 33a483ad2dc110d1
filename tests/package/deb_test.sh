#!/usr/bin/env bash
# deb_test.sh BUILD-DIR VERSION: cpack builds the Debian package; its files, its control fields
# and its dependencies are right, and the program unpacked from it runs.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
build=$1 version=$2
arch=$(dpkg --print-architecture)
deb=$scratch/out/tolvane_${version}_${arch}.deb

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; finish; }
[[ -f $deb ]] || { fail "no $(basename "$deb"): $(ls "$scratch/out")"; finish; }

# The files: the program, the manual page and the completion under /usr, nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$scratch/files"
expected=$'./usr/bin/tolvane\n./usr/share/bash-completion/completions/tolvane\n./usr/share/man/man1/tolvane.1.gz'
[[ $(cat "$scratch/files") == "$expected" ]] ||
  fail "the package holds:"$'\n'"$(cat "$scratch/files")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tolvane ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == admin ]] || fail "Section: $(field Section)"
[[ -n $(field Maintainer) ]] || fail "no Maintainer"
[[ -n $(field Description) ]] || fail "no Description"

# Depends names the package of every shared library the program is linked with.
depends=" $(field Depends | sed 's/([^)]*)//g; s/[,|]/ /g') "
owner() {
  local path=$1 candidate
  for candidate in "$path" "$(readlink -f "$path")" "${path#/usr}" "/usr$path"; do
    dpkg-query -S "$candidate" 2>/dev/null | sed -n '1s/:.*//p' | grep . && return
  done
}
library_count=0
while read -r library path; do
  library_count=$((library_count + 1))
  package=$(owner "$path")
  [[ -n $package ]] || { fail "no package owns $library ($path)"; continue; }
  [[ $depends == *" $package "* ]] ||
    fail "Depends lacks $package, which provides $library: $(field Depends)"
done < <(ldd "$build/tolvane" | awk '$2 == "=>" && $3 ~ /^\// {print $1, $3}')
# The C++ runtime is linked in; the C library at least is shared.
((library_count >= 1)) || fail "ldd found no shared library"

# Unpacked, the program runs, and the manual page is the one in the sources.
dpkg-deb -x "$deb" "$scratch/root"
"$scratch/root/usr/bin/tolvane" -O >"$scratch/report"
status=$?
((status == 0)) || fail "the unpacked program ends with status $status"
grep -q $'^SLP Operational Parameters\t\t\tValues$' "$scratch/report" ||
  fail "the unpacked program prints no operational parameters section"
zcat "$scratch/root/usr/share/man/man1/tolvane.1.gz" |
  cmp -s - "$(dirname "$0")/../../man/tolvane.1" || fail "the packaged manual page is stale"

finish
