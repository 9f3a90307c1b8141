#!/bin/sh
# Runs samples/convert-lists.sh with the vornel-convert of this build on lists that convert,
# that hold no numbers and that are refused, and checks its files, messages and exit status.
#   sample_test.sh SAMPLE CONVERTER
set -u
sample="$1"
export VORNEL_CONVERT="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then
    printf 'FAILED: %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
    failed=1
  fi
}

printf '101\r\n\n11\n' >"$work/good list.txt"
printf '\n\n' >"$work/blank.txt"
printf '1\n12\n' >"$work/bad.txt"
printf 'earlier\n' >"$work/bad.txt.dec"

sh "$sample" "$work/good list.txt" "$work/blank.txt" "$work/bad.txt" >"$work/out" 2>"$work/err"
check "exit status with refusals" 1 $?
check "the converted list" "$(printf '5\n3\n')" "$(cat "$work/good list.txt.dec")"
check "what it says on output" "$work/good list.txt.dec: 2 numbers" "$(cat "$work/out")"
check "no list for a blank file" no "$([ -e "$work/blank.txt.dec" ] && echo yes || echo no)"
check "an earlier list stays" earlier "$(cat "$work/bad.txt.dec")"
check "the refusal's line" 1 "$(grep -c "bad.txt:2:2: " "$work/err")"
check "its own word on the refusal" 1 "$(grep -c "bad.txt: not converted" "$work/err")"
check "its word on the blank list" 1 "$(grep -c "blank.txt: skipped" "$work/err")"

sh "$sample" "$work/good list.txt" >/dev/null 2>&1
check "exit status when all convert" 0 $?
sh "$sample" >/dev/null 2>&1
check "exit status without lists" 2 $?
exit $failed
