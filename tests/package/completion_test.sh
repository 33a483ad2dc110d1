#!/usr/bin/env bash
# completion_test.sh SCRIPT PROGRAM: the bash completion, sourced into a bash of its own,
# completes the program's switches and leaves out those already given.
# shellcheck source=tests/package/common.sh
source "$(dirname "$0")/common.sh"
script=$1 program=$2

# The completions bash would offer for the command line WORDS..., the last word being the one
# under the cursor; sorted, one a line.
complete_words() {
  bash --norc --noprofile -c '
    source "$1" || exit 1
    shift
    function=$(complete -p tolvane | sed -n "s/.*-F \([^ ]*\) tolvane$/\1/p")
    [[ -n $function ]] || { echo "no completion function registered" >&2; exit 1; }
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="${COMP_WORDS[*]}"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    "$function" tolvane "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' completion "$script" "$@" | sed '/^$/d' | sort
}

# expect DESCRIPTION EXPECTED-LINES WORDS...
expect() {
  local what=$1 expected=$2 actual
  shift 2
  actual=$(complete_words "$@")
  [[ $actual == "$expected" ]] ||
    fail "$what: completing [$*] gave [${actual//$'\n'/ }], expected [${expected//$'\n'/ }]"
}

all=$(program_switches "$program")
[[ $(wc -l <<<"$all") -eq 26 ]] || fail "--help lists $(wc -l <<<"$all") switch names, expected 26"

expect "every switch" "$all" tolvane -
expect "every switch on an empty word" "$all" tolvane ""
expect "long names" $'--ignore_rest\n--interface' tolvane --i
expect "a unique prefix" "--specConf" tolvane --specC
expect "no such switch" "" tolvane --x
# A switch may be given once, by either name; a group of flags gives each of its letters.
expect "after -O" "$(grep -vx -e -O -e --parameters <<<"$all")" tolvane -O -
expect "after --timer" "$(grep -vx -e -T -e --timer <<<"$all")" tolvane --timer -
expect "after -OI" "$(grep -vx -e -O -e --parameters -e -I -e --interface <<<"$all")" \
  tolvane -OI -
expect "-T after --timer" "" tolvane --timer -T
# The program ignores everything after -- or --ignore_rest.
expect "after --" "" tolvane -- -
expect "after --ignore_rest" "" tolvane --ignore_rest --

finish
