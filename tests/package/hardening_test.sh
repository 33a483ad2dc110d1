#!/usr/bin/env bash
# hardening_test.sh PROGRAM [--nofortify]: the program is built hard, as hardening-check sees it,
# and with the two flags it cannot see. --nofortify: a build without checked functions (the
# sanitizers', or one without optimisation).
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
program=$1 nofortify=${2:-}

# The control flow property needs every object of the link to carry it, and the C library's
# start files do not: the tool's "Control flow integrity" is no wherever they are linked in.
hardening-check --nocfprotection ${nofortify:+"$nofortify"} "$program" >&2 ||
  fail "hardening-check finds $program soft"

# -fcf-protection: an indirect branch target at the start of each function of our own.
objdump -d --no-show-raw-insn "$program" >"$scratch/code"
[[ $(grep -A1 '<main>:$' "$scratch/code") == *endbr64* ]] ||
  fail "main does not start with endbr64: built without -fcf-protection"
# -fstack-clash-protection: a frame over a page is touched page by page on its way down (the
# configuration reader's 8 KiB chunk is one). hardening-check looks for another instruction
# order than g++ 12's, and says "unknown".
grep -Eq 'orq? +\$0x0,\(%rsp\)' "$scratch/code" ||
  fail "no stack probe in $program: built without -fstack-clash-protection"

finish
