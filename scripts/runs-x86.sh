#!/usr/bin/env bash
# Tells whether this machine runs 32-bit Windows programs: exits 0 when the 32-bit Wine loader
# answers its version, else prints why on one line and exits 1. Some kernels have their 32-bit
# emulation off: every i386 program then fails with "Exec format error", and a shell that runs
# the loader reads it as a script. The loader is started directly, under a time limit, so the
# answer is the kernel's and the probe cannot hang.
#   NORV_WINE32  the loader to try (default /usr/lib/wine/wine)
set -u
loader="${NORV_WINE32:-/usr/lib/wine/wine}"
answer=$(timeout 20 python3 -c '
import os, sys
try:
    os.execv(sys.argv[1], sys.argv[1:])
except OSError as e:
    print(e.strerror)
    sys.exit(126)' "$loader" --version 2>&1 </dev/null)
status=$?
case "$status:$answer" in
0:wine-*) exit 0 ;;
124:*) echo "the 32-bit Wine loader $loader did not answer within 20 s" ;;
126:"Exec format error") echo "this machine's kernel does not run 32-bit programs (Exec format error)" ;;
126:*) echo "the 32-bit Wine loader $loader cannot start ($answer)" ;;
*) echo "the 32-bit Wine loader $loader answered: $(head -n 1 <<<"$answer")" ;;
esac
exit 1
