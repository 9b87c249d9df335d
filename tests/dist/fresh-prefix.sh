#!/usr/bin/env bash
# fresh-prefix.sh NAME DLL COMMAND...: runs COMMAND with NORV_WINEPREFIX a prefix NAME made
# anew beside the tree's (NORV_TREE_PREFIX) from it, in which DLL (Z:\...) is not registered,
# as the tree's own tests leave it.
set -u
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
export NORV_WINEPREFIX="$NORV_TREE_PREFIX-$1"
"$scripts/wine-prefixes.sh" --anew "$NORV_WINEPREFIX" || exit
"$scripts/wine-run.sh" regsvr32.exe /s /u "$2" >/dev/null 2>&1
"$scripts/wine-run.sh" regsvr32.exe /s /u /n /i:user "$2" >/dev/null 2>&1
shift 2
"$@"
