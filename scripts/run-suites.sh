#!/usr/bin/env bash
# Runs the suites of the build trees under Wine, x64 and x86 at once, each under a display of
# its own, then prints their logs and summaries; fails when a suite that ran fails. The x86
# suite runs only where the machine runs 32-bit programs: elsewhere its tree is built but not
# run, and the last line says so.
#   NORV_BUILD        the folder that holds the trees (default build)
#   NORV_TEST_COUNTS  the tests each tree must run (default tests/test-counts)
#   JOBS        tests at once in each suite (default: the processors)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build="${NORV_BUILD:-build}"
counts="${NORV_TEST_COUNTS:-$here/../tests/test-counts}"
archs=(x64)
if not_run=$("$here/runs-x86.sh"); then
  archs+=(x86)
fi

echo "running the ${archs[*]} suites (logs in $build/<arch>/ctest.log)"
pids=()
for arch in "${archs[@]}"; do
  # Started a moment apart, so that the two do not pick the same free display number.
  [ ${#pids[@]} -eq 0 ] || sleep 2
  (cd "$build/$arch" && xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --output-on-failure -j "${JOBS:-$(nproc)}" >ctest.log 2>&1) &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done

for arch in "${archs[@]}"; do
  echo "===== $arch"
  cat "$build/$arch/ctest.log"
done
for arch in "${archs[@]}"; do
  summary=$(grep -h 'tests passed' "$build/$arch/ctest.log")
  echo "$arch: ${summary:-no summary}"
  expected=$(awk -v arch="$arch" '$1 == arch { print $2 }' "$counts")
  ran=$(sed -n 's/.* out of \([0-9]*\)$/\1/p' <<<"$summary")
  if [ "${ran:-0}" != "${expected:-none}" ]; then
    echo "$arch: ${ran:-no} tests ran where ${expected:-none} are expected ($counts)"
    status=1
  fi
done
[ -z "$not_run" ] || echo "x86 suite NOT RUN: $not_run; the x86 build compiled"
exit $status
