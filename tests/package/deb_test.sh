#!/usr/bin/env bash
# deb_test.sh BUILD-DIR VERSION SOURCE-DIR: cpack builds the Debian package; its files, its
# control fields, its dependencies and its documents are right, lintian finds no error and no
# warning in it, and the program unpacked from it runs. Then the package is built twice more,
# from two copies of the source in two other folders, at two other times, and the two must be
# the same bytes.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
build=$1 version=$2 source_dir=$3
arch=$(dpkg --print-architecture)
name=tolvane_${version}_${arch}.deb
deb=$scratch/out/$name

cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; finish; }
[[ -f $deb ]] || { fail "no $name: $(ls "$scratch/out")"; finish; }

# The files: the program, the manual page, the completion and the two documents under /usr,
# nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$scratch/files"
expected='./usr/bin/tolvane
./usr/share/bash-completion/completions/tolvane
./usr/share/doc/tolvane/changelog.gz
./usr/share/doc/tolvane/copyright
./usr/share/man/man1/tolvane.1.gz'
[[ $(cat "$scratch/files") == "$expected" ]] ||
  fail "the package holds:"$'\n'"$(cat "$scratch/files")"

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tolvane ]] || fail "Package: $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version: $(field Version)"
[[ $(field Architecture) == "$arch" ]] || fail "Architecture: $(field Architecture)"
[[ $(field Section) == admin ]] || fail "Section: $(field Section)"
[[ $(field Priority) == optional ]] || fail "Priority: $(field Priority)"
[[ $(field Maintainer) == "tolvane developers <maintainers@tolvane.invalid>" ]] ||
  fail "Maintainer: $(field Maintainer)"
[[ -n $(field Description) ]] || fail "no Description"
while IFS= read -r line; do
  ((${#line} <= 80)) || fail "a description line of ${#line} characters: $line"
done < <(field Description)

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

# Unpacked, the program runs, stripped, and prints the package's version; the manual page is
# the one in the sources.
dpkg-deb -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/tolvane
"$program" -O >"$scratch/report"
status=$?
((status == 0)) || fail "the unpacked program ends with status $status"
grep -q $'^SLP Operational Parameters\t\t\tValues$' "$scratch/report" ||
  fail "the unpacked program prints no operational parameters section"
[[ $("$program" --version | sed -n 's/.*  version: //p') == "$version" ]] ||
  fail "the unpacked program's --version is not $version: $("$program" --version)"
file -b "$program" | grep -q ', stripped' || fail "the packaged program is not stripped"
zcat "$scratch/root/usr/share/man/man1/tolvane.1.gz" |
  cmp -s - "$source_dir/man/tolvane.1" || fail "the packaged manual page is stale"

# The documents: the changelog is packaging/changelog, and its latest entry is this version;
# the copyright file carries the licence text of LICENSE, from the line after its copyright.
doc=$scratch/root/usr/share/doc/tolvane
zcat "$doc/changelog.gz" >"$scratch/changelog"
cmp -s "$scratch/changelog" "$source_dir/packaging/changelog" || fail "the changelog is stale"
changelog_version=$(dpkg-parsechangelog -l "$scratch/changelog" -S Version)
[[ $changelog_version == "$version" ]] ||
  fail "the changelog's latest entry is $changelog_version, the package is $version"
sed -n '/^Copyright (c) /,$p' "$source_dir/LICENSE" | sed '1,2d' >"$scratch/licence"
sed -n '/^License: Expat$/,$p' "$doc/copyright" | sed '1d; s/^ //; s/^\.$//' |
  cmp -s - "$scratch/licence" || fail "the copyright file's licence text is not LICENSE's"
grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")" "$doc/copyright" ||
  fail "the copyright file's Copyright field is not LICENSE's"

# lintian, as Debian checks a package: no error, no warning. (As root it says on standard
# error that root is not recommended: that line is no finding.)
if ! command -v lintian >/dev/null; then
  fail "lintian is not installed (scripts/setup installs it)"
else
  lintian --fail-on error,warning "$deb" >"$scratch/lintian.out" 2>"$scratch/lintian.err"
  status=$?
  if ((status != 0)) || grep -qE '^[EW]: ' "$scratch/lintian.out"; then
    cat "$scratch/lintian.out" "$scratch/lintian.err" >&2
    fail "lintian finds errors or warnings (status $status)"
  fi
fi

# Reproducible: two more builds of the program alone (no tests), from two copies of this
# source tree in two folders of different lengths, one after the other, in different time
# zones and locales, give the same bytes. Each copy takes SOURCE_DATE_EPOCH from the last
# commit, as a plain cpack does; where the source is no git checkout, both get one value.
# Both run under umask 022, which sets the mode of the archive's own members.
if [[ -z ${SOURCE_DATE_EPOCH:-} ]] && ! git -C "$source_dir" log -1 --format=%ct >/dev/null 2>&1
then
  SOURCE_DATE_EPOCH=$(stat -c %Y "$source_dir/CMakeLists.txt")
  export SOURCE_DATE_EPOCH
  echo "$source_dir is no git checkout: both builds take SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH" >&2
fi
excludes=(--exclude=./.cache --exclude='./build*')
build_real=$(cd "$build" && pwd -P) source_real=$(cd "$source_dir" && pwd -P)
[[ $build_real == "$source_real"/* ]] && excludes+=("--exclude=./${build_real#"$source_real"/}")
jobs=$(nproc 2>/dev/null || echo 2)
# package_copy DIR TZ LOCALE: copies the source to DIR and builds its package in DIR/out.
package_copy() {
  local dir=$1
  mkdir -p "$dir" &&
    tar -C "$source_dir" "${excludes[@]}" -cf - . | tar -C "$dir" -xf - &&
    (
      umask 022
      export TZ=$2 LC_ALL=$3
      cmake -S "$dir" -B "$dir/build" -DBUILD_TESTING=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON &&
        cmake --build "$dir/build" -j "$jobs" --target tolvane tolvane_man_page tolvane_doc_files &&
        cpack --config "$dir/build/CPackConfig.cmake" -B "$dir/out"
    ) >"$dir.log" 2>&1 && [[ -f $dir/out/$name ]] ||
    { cat "$dir.log" >&2; fail "building the package in $dir failed"; return 1; }
}
first=$scratch/a/tolvane
second=$scratch/second-build/of-the-same/source
if package_copy "$first" UTC C && package_copy "$second" Pacific/Auckland C.UTF-8; then
  if cmp "$first/out/$name" "$second/out/$name" >&2; then
    echo "reproducible: $(sha256sum <"$first/out/$name" | cut -d' ' -f1)" \
      "for both $first/out/$name and $second/out/$name" >&2
  else
    diff <(dpkg-deb -c "$first/out/$name") <(dpkg-deb -c "$second/out/$name") >&2
    fail "two builds of the same source in two folders give two different packages"
  fi
  # What the package holds does not depend on how the build tree was configured.
  listing() { dpkg-deb -c "$1" | awk '{print $1, $2, $6}'; }
  diff <(listing "$deb") <(listing "$first/out/$name") >&2 ||
    fail "the package of a build without tests holds other files than the one of $build"
  # No path of the source or the build tree lands in any file of the package. (Only here: the
  # sanitizers of a TOLVANE_SANITIZE build, never packaged for use, keep the source paths.)
  for copy in "$first" "$second"; do
    dpkg-deb -x "$copy/out/$name" "$copy/root"
    leaked=$(grep -rlaF -e "$copy" -e "$source_real" "$copy/root")
    [[ -z $leaked ]] || fail "a build path lands in: $leaked"
  done
fi

finish
