#!/usr/bin/env bash
# catalogue_test.sh SOURCE-DIR VERSION PROGRAM: po/tolvane.pot is what the sources give today,
# and it holds every heading and label that the program prints.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
source_dir=$1 version=$2 program=$3
committed=$source_dir/po/tolvane.pot

cmake "-DSOURCE_DIR=$source_dir" "-DOUTPUT=$scratch/tolvane.pot" "-DVERSION=$version" \
  -P "$source_dir/cmake/catalogue.cmake" >"$scratch/regenerate.log" 2>&1 ||
  { cat "$scratch/regenerate.log" >&2; fail "regenerating the catalogue failed"; finish; }
if ! diff -u --label committed --label regenerated \
  <(grep -v '^"POT-Creation-Date: ' "$committed") \
  <(grep -v '^"POT-Creation-Date: ' "$scratch/tolvane.pot") >&2; then
  fail "po/tolvane.pot is stale: run cmake --build <build-dir> --target pot"
fi

catalogue_ids "$committed" >"$scratch/ids"
mapfile -t ids <"$scratch/ids"
((${#ids[@]} > 0)) || fail "no message ids in $committed"

# Every line the program writes, except those it never translates, starts with a message id:
# a heading or a banner line is one whole, a row starts with its label.
untranslated=$'^$|^\\*+$|^[-\t]+$|^tolvane  \\[|^\t\\[--version\\]'
check_lines() {
  local line id
  while IFS= read -r line; do
    [[ $line =~ $untranslated ]] && continue
    line=${line//\\/\\\\}
    line=${line//\"/\\\"}
    line=${line//$'\t'/\\t}
    for id in "${ids[@]}"; do
      [[ $line == "$id"* ]] && continue 2
    done
    fail "not in the catalogue: $line"
  done
}
check_lines < <("$program")
check_lines < <("$program" -O -P -C -D -T -N -S -R)
# The interface section needs an Ethernet interface: one of its own, in a namespace of its own.
# shellcheck disable=SC2016 # $0 is the program, expanded by the inner shell
unshare -n sh -c 'ip link add eth0 type veth peer name peer0 && ip addr add 10.5.0.1/24 dev eth0 &&
  exec "$0" -I' "$program" >"$scratch/interfaces" || fail "no interface report from a namespace"
grep -q '^Local Interface' "$scratch/interfaces" || fail "the namespace's eth0 is not reported"
check_lines <"$scratch/interfaces"

finish
