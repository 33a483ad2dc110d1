#!/usr/bin/env bash
# man_page_test.sh PAGE PROGRAM: the manual page renders without a warning, documents every
# switch the program has, and carries the program's version.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
page=$1 program=$2
pot=$(dirname "$page")/../po/tolvane.pot

# The page's first line asks for tbl, as man reads it.
warnings=$(groff -t -man -ww -z "$page" 2>&1) || fail "groff failed on $page"
[[ -z $warnings ]] || fail "groff warns about $page:"$'\n'"$warnings"

# What a reader sees through man, where man-db is installed.
if command -v man >/dev/null; then
  rendered=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>"$scratch/man.err") ||
    fail "man -l failed on $page"
  [[ -s $scratch/man.err ]] && fail "man -l complains: $(cat "$scratch/man.err")"
  for heading in NAME SYNOPSIS DESCRIPTION OPTIONS REPORT "CONFIGURATION FILES" "EXIT STATUS" \
    DIAGNOSTICS ENVIRONMENT FILES EXAMPLES "LIMITS AND CAVEATS" "SEE ALSO"; do
    grep -qx "$heading" <<<"$rendered" || fail "no $heading section in the rendered page"
  done
  # A page to scan, not to read through: as long as ip-address(8) at most.
  lines=$(wc -l <<<"$rendered")
  ((lines <= 320)) || fail "the page renders in $lines lines at 80 columns, more than 320"

  # A search of the page finds every message: the words between the placeholders of each note
  # and failure of the catalogue, and the parser's reports, stand on one rendered line.
  while IFS= read -r words; do
    grep -qF -- "$words" <<<"$rendered" ||
      fail "no line of the page holds these words of a message: $words"
  done < <(catalogue_ids "$pot" | grep -E "[{][a-z]+[}]|^(Can't|Not enough|Wrong format) " |
    sed 's/\\"/"/g; s/[{][a-z]*[}]/\n/g' | sed 's/^ *//; s/ *$//' | grep ' '
    # shellcheck disable=SC2086 # one word an argument
    for arguments in -x "-O -O"; do
      "$program" $arguments 2>&1 >/dev/null | sed -n '2s/^ *//p'
    done)
fi

# Every switch of --help has its entry under OPTIONS, short and long name together.
switch_count=0
while read -r short long; do
  switch_count=$((switch_count + 1))
  entry=".BR ${short//-/\\-} \", \" ${long//-/\\-}"
  grep -qxF "$entry" "$page" || fail "no OPTIONS entry for $short, $long (expected: $entry)"
done < <("$program" --help | sed -n 's/^   \(-[^,]*\),  \(--[^ ]*\)$/\1 \2/p')
((switch_count == 13)) || fail "--help lists $switch_count switches, expected 13"

version=$("$program" --version | sed -n 's/.*version: //p')
grep -q "^\.TH TOLVANE 1 [^ ]* \"tolvane $version\"" "$page" ||
  fail "the page's title line does not name version $version"

finish
