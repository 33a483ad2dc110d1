# common.sh: sourced by the tests of the shipped files: failure reporting and a scratch
# directory removed on exit.
# shellcheck shell=bash
set -uo pipefail

failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Ends the test with the outcome of all the checks above.
finish() {
  ((failures == 0)) || { echo "$failures check(s) failed" >&2; exit 1; }
  exit 0
}

# The program's switches as its --help lists them, one short or long name a line.
program_switches() {
  "$1" --help | sed -n 's/^   \(-[^,]*\),  \(--[^ ]*\)$/\1\n\2/p' | sort
}

# The message ids of the catalogue template $1, one a line, as the template writes them (a tab
# as \t, a quote as \").
catalogue_ids() {
  awk '
    /^msgid "/ { id = substr($0, 8, length($0) - 8); open = 1; next }
    /^"/ && open { id = id substr($0, 2, length($0) - 2); next }
    open { if (id != "") print id; open = 0 }
  ' "$1"
}
