#!/usr/bin/env bash
# A program's --version names the project's version, and its --help and its manual
# page name the same options. Run without a display, so a program that started Qt for
# them would fail.
# usage: help_and_page_test.sh PROGRAM PAGE.scd VERSION
set -uo pipefail
program=${1:?program} page=${2:?manual page source} version=${3:?version}
name=${program##*/}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@"; }

out=$(run --version 2>&1) || fail "$name --version ends with $?"
[[ $out == "$name $version" ]] || fail "$name --version prints '$out', not '$name $version'"

help=$(run --help 2>&1) || fail "$name --help ends with $?"
# Every option word: one or two dashes that start a word (not the dash inside one).
options() { grep -oP '(?<![\w-])--?[a-z][a-z0-9-]*' | sort -u; }
in_help=$(options <<<"$help")
in_page=$(options <"$page")
[[ -n $in_help ]] || fail "$name --help names no option"
only_help=$(comm -23 <(echo "$in_help") <(echo "$in_page"))
only_page=$(comm -13 <(echo "$in_help") <(echo "$in_page"))
[[ -z $only_help ]] || fail "$name --help names options its manual page does not:" $only_help
[[ -z $only_page ]] || fail "the manual page of $name names options its --help does not:" $only_page

(( failures == 0 )) && echo "$name: --version and the $(wc -l <<<"$in_help") options of --help and its page agree"
exit $(( failures > 0 ))
