#!/usr/bin/env bash
# deb_test.sh SOURCE-DIR BUILD-DIR VERSION: dpkg-buildpackage builds the source package and the binary
# ones from a copy of the source, running the suite's build-time part; the package holds the right
# files at the changelog's version, hardened, on the shared C++ runtime, lintian finds no tag in
# any of them, even pedantic, and debian/tests pass against the program unpacked from it. A second
# build of another copy, in a folder of another length, under another clock, time zone, locale,
# umask and job count, and with nocheck, gives the same bytes.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
source_dir=$1 build=$2 version=$3
arch=$(dpkg --print-architecture)
deb=tolvane_${version}_${arch}.deb
dbgsym=tolvane-dbgsym_${version}_${arch}.deb

# dpkg-buildpackage writes beside the tree it builds: each copy gets a folder of its own.
# package_copy DIR JOBS [WRAPPER...]: copies the source to DIR and builds it there, with the
# environment of the caller; shows the end of the build's log when it fails. The two builds
# run side by side, the second under a clock 400 days ahead.
excludes=(--exclude-vcs --exclude=./.cache --exclude='./build*')
build_real=$(cd "$build" && pwd -P) source_real=$(cd "$source_dir" && pwd -P)
[[ $build_real == "$source_real"/* ]] && excludes+=("--exclude=./${build_real#"$source_real"/}")
package_copy() {
  local dir=$1 jobs=$2
  shift 2
  mkdir -p "$dir" &&
    tar -C "$source_dir" "${excludes[@]}" -cf - . |
    tar -C "$dir" -xf - &&
    (cd "$dir" && "$@" dpkg-buildpackage -us -uc -J"$jobs") >"$dir.log" 2>&1 ||
    { tail -40 "$dir.log" >&2; return 1; }
}
jobs=$(nproc 2>/dev/null || echo 2)
first=$scratch/a/tolvane
second=$scratch/second-build/of-the-same/tolvane
(umask 022 && TZ=UTC LC_ALL=C DEB_BUILD_OPTIONS='' DEB_BUILD_PROFILES='' \
  package_copy "$first" "$jobs") &
first_build=$!
(umask 002 && TZ=Pacific/Auckland LC_ALL=C.UTF-8 DEB_BUILD_OPTIONS=nocheck \
  DEB_BUILD_PROFILES=nocheck package_copy "$second" 1 faketime -f +400d) &
second_build=$!
wait $first_build || { fail "dpkg-buildpackage failed in $first"; wait $second_build; finish; }
out=${first%/*}

# ctest's summary closes the tests of the first build; nocheck builds and runs none.
summary=$(grep -E '^[0-9]+% tests passed, 0 tests failed out of [1-9]' "$first.log") ||
  fail "the package's build ran no tests, or some failed"
echo "the package's build: $summary" >&2

for file in "tolvane_$version.dsc" "tolvane_$version.tar.xz" "tolvane_${version}_$arch.changes" \
  "$deb" "$dbgsym"; do
  [[ -f $out/$file ]] || fail "dpkg-buildpackage wrote no $file: $(ls "$out")"
done

# The files: the program, the manual page, the completion, the README, the example
# configuration, Debian's two documents and lintian's override under /usr, nothing else.
expected='./usr/bin/tolvane
./usr/share/bash-completion/completions/tolvane
./usr/share/doc/tolvane/README
./usr/share/doc/tolvane/changelog.gz
./usr/share/doc/tolvane/copyright
./usr/share/doc/tolvane/examples/slp.conf
./usr/share/lintian/overrides/tolvane
./usr/share/man/man1/tolvane.1.gz'
files=$(dpkg-deb -c "$out/$deb" | awk '$1 !~ /^d/ {print $6}' | LC_ALL=C sort)
[[ $files == "$expected" ]] || fail "the package holds:"$'\n'"$files"

# One version: the changelog's as dpkg reads it, the package's and the program's, which CMake
# reads from the changelog too.
changelog_version=$(dpkg-parsechangelog -l "$source_dir/debian/changelog" -S Version)
[[ $changelog_version == "$version" ]] ||
  fail "debian/changelog's latest entry is $changelog_version, CMake's project is $version"
[[ $(dpkg-deb -f "$out/$deb" Version) == "$version" ]] ||
  fail "the package's version is $(dpkg-deb -f "$out/$deb" Version)"
# The C++ runtime is the shared one, and the package says which it needs.
[[ $(dpkg-deb -f "$out/$deb" Depends) == *libstdc++6* ]] ||
  fail "the package does not depend on libstdc++6: $(dpkg-deb -f "$out/$deb" Depends)"
dpkg-deb -x "$out/$deb" "$scratch/root"
program=$scratch/root/usr/bin/tolvane
[[ $("$program" --version | sed -n 's/.*  version: //p') == "$version" ]] ||
  fail "the packaged program's --version is not $version: $("$program" --version)"
zcat "$scratch/root/usr/share/man/man1/tolvane.1.gz" |
  cmp -s - "$source_dir/man/tolvane.1" || fail "the packaged manual page is stale"
# The example is the sample whose report the tests pin.
cmp -s "$scratch/root/usr/share/doc/tolvane/examples/slp.conf" "$source_dir/tests/cli/sample.conf" ||
  fail "the packaged example configuration is not tests/cli/sample.conf"

# The copyright file carries the licence text of LICENSE, from the line after its copyright.
copyright=$scratch/root/usr/share/doc/tolvane/copyright
sed -n '/^Copyright (c) /,$p' "$source_dir/LICENSE" | sed '1,2d' >"$scratch/licence"
sed -n '/^License: Expat$/,$p' "$copyright" | sed '1d; s/^ //; s/^\.$//' |
  cmp -s - "$scratch/licence" || fail "debian/copyright's licence text is not LICENSE's"
grep -qx "Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")" "$copyright" ||
  fail "debian/copyright's Copyright field is not LICENSE's"

# Built from dpkg-buildflags, with what the build adds to them.
hardening-check --nocfprotection "$program" >&2 ||
  fail "the packaged program lacks some hardening"

# lintian on the upload, source and binaries: no tag at all, pedantic ones included. (As root it
# says on standard error that root is not recommended: that line is no finding.)
lintian --pedantic -I --fail-on error,warning,info,pedantic "$out/tolvane_${version}_$arch.changes" \
  >"$scratch/lintian.out" 2>"$scratch/lintian.err"
status=$?
if ((status != 0)) || [[ -s $scratch/lintian.out ]]; then
  cat "$scratch/lintian.out" "$scratch/lintian.err" >&2
  fail "lintian finds tags (status $status)"
fi

# The package's own tests, as autopkgtest runs them, against the unpacked program. One that
# may exit with 77 must say so, or autopkgtest counts the skip as a failure.
for test in $(sed -n 's/^Tests: *//p' "$first/debian/tests/control"); do
  if grep -q 'exit 77' "$first/debian/tests/$test" &&
    ! awk -v test="$test" 'BEGIN { RS = "" } $0 ~ "(^|\n)Tests: *" test "(\n|$)" &&
      $0 ~ /(^|\n)Restrictions:[^\n]*skippable/ { found = 1 } END { exit !found }' \
      "$first/debian/tests/control"; then
    fail "debian/tests/$test may exit with 77, but its stanza lacks Restrictions: skippable"
  fi
  (cd "$first" && PATH=$scratch/root/usr/bin:$PATH AUTOPKGTEST_TMP=$(mktemp -d -p "$scratch") \
    "debian/tests/$test") >"$scratch/$test.log" 2>&1
  status=$?
  ((status == 0 || status == 77)) || { cat "$scratch/$test.log" >&2; fail "debian/tests/$test"; }
  echo "debian/tests/$test: $(tail -1 "$scratch/$test.log")" >&2
done

# Reproducible, and no path of the build lands in any file of the package.
if wait $second_build; then
  for file in "$deb" "$dbgsym"; do
    if cmp "$out/$file" "${second%/*}/$file" >&2; then
      echo "reproducible: $(sha256sum <"$out/$file" | cut -d' ' -f1) for both builds of $file" >&2
    else
      diff <(dpkg-deb -c "$out/$file") <(dpkg-deb -c "${second%/*}/$file") >&2
      fail "two builds of the same source give two different $file"
    fi
  done
  grep -qE '^[0-9]+% tests passed' "$second.log" && fail "nocheck still runs the tests"
  leaked=$(grep -rlaF -e "$first" -e "$second" -e "$source_real" "$scratch/root")
  [[ -z $leaked ]] || fail "a build path lands in: $leaked"
else
  fail "dpkg-buildpackage failed in $second"
fi

finish
