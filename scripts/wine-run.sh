#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with a prefix of the build tree's own,
# quiet logging, a pinned locale and a display for window tests.
#   NORV_WINEPREFIX  the prefix (default: ./wineprefix of the current directory)
#   NORV_LOCALE      the locale the program sees (default en_US.UTF-8)
set -u
export WINEPREFIX="${NORV_WINEPREFIX:-$PWD/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${NORV_LOCALE:-en_US.UTF-8}"
export LANG="$LC_ALL"
wine=/usr/lib/wine/wine64

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
exec "$wine" "$@"
