#!/usr/bin/env bash
# Plants slips in the code one at a time and tells which the tests catch.
#   scripts/plant.sh [patch ...]     (default: every tests/faults/*.patch)
# Each patch is a small wrong change with a few lines of description before its diff; a line
# "Tests: <ctest regex>" there names the tests nearest to it. For each patch: apply, rebuild
# the x64 tree, run the named tests and, when they all pass, the whole suite; then restore.
# A slip is caught when a test fails; one that does not build is reported apart. The table of
# results goes to stdout and build/x64/plant.log.
#   NORV_PLANT_BUILD  the build tree (default build/x64, which `make build` makes)
set -u
cd "$(dirname "$0")/.."
tree="${NORV_PLANT_BUILD:-build/x64}"
jobs=$(nproc)
[ $# -gt 0 ] || set -- tests/faults/*.patch
[ -f "$tree/build.ninja" ] || { echo "no build tree $tree: run make build first" >&2; exit 2; }

applied=""
restore() {
    [ -n "$applied" ] && git apply -R "$applied" && applied=""
}
# The source is restored however the script ends: done, failed, interrupted or hung up.
trap restore EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

run_tests() { # [regex]
    (cd "$tree" && xvfb-run -a ctest -j "$jobs" --timeout 300 ${1:+-R "$1"} >ctest-plant.log 2>&1)
}
# Tests that failed for the slip; a test that ran out of time says nothing of it.
failed_tests() {
    grep -v '(Timeout)' "$tree/ctest-plant.log" |
        sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' | tr '\n' ' '
}

caught=0
survived=0
broken=0
log="$tree/plant.log"
: >"$log"
for patch in "$@"; do
    name=$(basename "$patch" .patch)
    if ! git apply "$patch"; then
        echo "$name: does not apply" | tee -a "$log"
        broken=$((broken + 1))
        continue
    fi
    applied="$patch"
    if ! cmake --build "$tree" -j "$jobs" >/dev/null 2>&1; then
        result="does not build"
        broken=$((broken + 1))
    else
        near=$(sed -n 's/^Tests: *//p' "$patch" | head -1)
        if { [ -n "$near" ] && ! run_tests "$near"; } || ! run_tests; then
            failed=$(failed_tests)
            if [ -n "$failed" ]; then
                result="caught by $failed"
                caught=$((caught + 1))
            else
                result="UNDECIDED: only timeouts"
                broken=$((broken + 1))
            fi
        else
            result="SURVIVED"
            survived=$((survived + 1))
        fi
    fi
    restore
    echo "$name: $result" | tee -a "$log"
done
cmake --build "$tree" -j "$jobs" >/dev/null 2>&1
echo "caught $caught of $((caught + survived)) slips that build; $broken did not build, apply or decide" |
    tee -a "$log"
