#!/usr/bin/env bash
# make test's runner over two stand-in trees whose suites pass or fail at will and have a
# count of tests to meet, with a 32-bit loader the kernel refuses (an ELF program of another
# machine, which execve refuses with the same "Exec format error") and with one that answers.
set -u
runner="$(cd "$(dirname "$0")/../.." && pwd)/scripts/run-suites.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
checks=0
failures=0
# expect WHAT COMMAND...: COMMAND must succeed, else WHAT failed.
expect() {
  local what="$1"
  shift
  checks=$((checks + 1))
  "$@" && return
  echo "FAILED: $what"
  sed 's/^/  | /' "$work/out"
  failures=$((failures + 1))
}

printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\50\0\1\0\0\0' >"$work/refused"
head -c 32 /dev/zero >>"$work/refused"
printf '#!/bin/sh\necho wine-8.0\n' >"$work/answers"
chmod +x "$work/refused" "$work/answers"
suite() { mkdir -p "$work/$1" && echo "add_test($1_case \"$2\")" >"$work/$1/CTestTestfile.cmake"; }
printf 'x64 1\nx86 1\n' >"$work/counts"
run() {
  NORV_BUILD="$work" NORV_WINE32="$work/$1" NORV_TEST_COUNTS="$work/counts" JOBS=1 "$runner" \
    >"$work/out" 2>&1
}
notice="x86 suite NOT RUN: this machine's kernel does not run 32-bit programs (Exec format error); the x86 build compiled"

suite x64 /bin/true
suite x86 /bin/false
expect "a passing x64 suite passes without 32-bit programs" run refused
expect "the output ends with the x86 notice" [ "$(tail -n 1 "$work/out")" = "$notice" ]
expect "the x86 suite is not started" eval '! grep -q -e x86_case -e "^x86:" "$work/out"'
expect "a failing x86 suite fails where 32-bit programs run" eval '! run answers'
expect "the x86 suite runs where 32-bit programs run" grep -q x86_case "$work/out"
expect "no x86 notice where 32-bit programs run" eval '! grep -q "NOT RUN" "$work/out"'

echo 'add_test(extra_case "/bin/true")' >>"$work/x64/CTestTestfile.cmake"
expect "a suite of another size than its count fails" eval '! run refused'
expect "it says which count" grep -q 'x64: 2 tests ran where 1 are expected' "$work/out"

suite x64 /bin/false
expect "a failing x64 suite fails without 32-bit programs" eval '! run refused'

echo "$((checks - failures)) passed, $failures failed"
[ $failures -eq 0 ]
