#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine with a prefix of the build tree's own,
# quiet logging, a pinned locale and a display for window tests.
#   NORV_WINEPREFIX  the prefix (default: ./wineprefix of the current directory)
#   NORV_LOCALE      the locale the program sees (default en_US.UTF-8), with a prefix of its own
#   NORV_WINEDEBUG   Wine's debug channels (default -all; warn+heap fills freed memory)
set -u
# Wine writes the user locale into the prefix when a program starts, so programs of another
# locale get a prefix of their own instead of racing the default one.
export WINEPREFIX="${NORV_WINEPREFIX:-$PWD/wineprefix}${NORV_LOCALE:+-${NORV_LOCALE%%.*}}"
export WINEDEBUG="${NORV_WINEDEBUG:--all}"
# No Gecko or Mono prompts, no desktop menus, and a crash ends the program instead of waiting in the debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d}"
locale="${NORV_LOCALE:-en_US.UTF-8}"
wine=/usr/lib/wine/wine64

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# Set for Wine only: the Unix locale need not be installed, and the shell would complain.
exec env LC_ALL="$locale" LANG="$locale" "$wine" "$@"
