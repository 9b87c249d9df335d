#!/usr/bin/env bash
# Runs a test in a Wine prefix of its own, made anew beside the tree's from it, with the
# control registered nowhere in it (the tree's own tests register it there).
#   fresh-prefix.sh NAME DLL COMMAND...   DLL: the module as Windows sees it (Z:\...)
# Run with the tree's loader and prefix in NORV_WINE and NORV_TREE_PREFIX; the command runs
# with the new prefix in NORV_WINEPREFIX.
set -u
name=$1 dll=$2
shift 2
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
export NORV_WINEPREFIX="$NORV_TREE_PREFIX-$name"
"$scripts/wine-prefixes.sh" --anew "$NORV_WINEPREFIX" || exit
for mode in "" "/n /i:user"; do
  # shellcheck disable=SC2086 # the mode's words are separate arguments
  "$scripts/wine-run.sh" regsvr32.exe /s /u $mode "$dll" >/dev/null 2>&1
done
"$@"
