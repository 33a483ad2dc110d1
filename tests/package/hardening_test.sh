#!/usr/bin/env bash
# hardening_test.sh PROGRAM [--nofortify]: the program is built hard, as hardening-check sees it,
# and with the two flags it cannot see where the processor has them. --nofortify: a build without
# checked functions (the sanitizers', or one without optimisation).
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
program=$1 nofortify=${2:-}

# PIE, the stack protector, the checked functions, RELRO and bind-now, on every processor. The
# control flow property needs every object of the link to carry it, and the C library's start
# files do not: the tool's "Control flow integrity" is no wherever they are linked in.
hardening-check --nocfprotection ${nofortify:+"$nofortify"} "$program" >&2 ||
  fail "hardening-check finds $program soft"

# The two flags hardening-check cannot see leave instructions of x86's own: the program's, not
# the build machine's, as a cross build or another architecture's chroot has it.
machine=$(LC_ALL=C readelf -h "$program" | sed -n 's/^ *Machine: *//p')
case $machine in
  *X86-64*) branch_target=endbr64 stack=rsp ;;
  *80386*) branch_target=endbr32 stack=esp ;;
  *)
    echo "skipped on $machine: -fcf-protection, which only x86 has, and the stack probe," \
      "whose instructions this test knows for x86 only" >&2
    finish
    ;;
esac
objdump -d --no-show-raw-insn "$program" >"$scratch/code"
# -fcf-protection: an indirect branch target at the start of each function of our own.
[[ $(grep -A1 '<main>:$' "$scratch/code") == *"$branch_target"* ]] ||
  fail "main does not start with $branch_target: built without -fcf-protection"
# -fstack-clash-protection: a frame over a page is touched page by page on its way down (the
# configuration reader's 8 KiB chunk is one). hardening-check looks for another instruction
# order than g++ 12's, and says "unknown".
grep -Eq "or[lq]? +\\\$0x0,\\(%$stack\\)" "$scratch/code" ||
  fail "no stack probe in $program: built without -fstack-clash-protection"

finish
