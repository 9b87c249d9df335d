#!/usr/bin/env bash
# Runs a Windows program under Wine with a prefix of the build tree's own, quiet logging,
# a pinned locale and a display for window tests.
#   NORV_WINE        the loader: /usr/lib/wine/wine64 for x64, /usr/lib/wine/wine for x86.
#                    The build passes its own; unset, a program file picks it by its machine.
#   NORV_WINEPREFIX  the prefix; by default the build tree's own (NORV_TREE_PREFIX, which the
#                    build passes), else ./wineprefix of the current directory
#   NORV_LOCALE      the locale the program sees (default en_US.UTF-8), with a prefix of its own
#   NORV_WINEDEBUG   Wine's debug channels (default -all; warn+heap fills freed memory)
#   NORV_DPI         the display's DPI (LogPixels) in a prefix of its own; the prefix's own
#                    (96 unless set) when unset
set -u
# Wine writes the user locale into the prefix when a program starts, so programs of another
# locale get a prefix of their own instead of racing the default one. Wine reads the DPI when
# a program starts, so each DPI has its prefix too.
prefix="${NORV_WINEPREFIX:-${NORV_TREE_PREFIX:-$PWD/wineprefix}}"
export WINEPREFIX="$prefix${NORV_LOCALE:+-${NORV_LOCALE%%.*}}${NORV_DPI:+-dpi$NORV_DPI}"
export WINEDEBUG="${NORV_WINEDEBUG:-${WINEDEBUG:--all}}"
# No Gecko or Mono prompts, no desktop menus, and a crash ends the program instead of waiting in the debugger.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe,winedbg.exe=d}"
locale="${NORV_LOCALE:-en_US.UTF-8}"

# The machine field of a PE file's header: 014c for x86, 8664 for x64.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null) || return
  od -An -tx2 -j$((header + 4)) -N2 "$1" 2>/dev/null | tr -d ' '
}
wine="${NORV_WINE:-}"
if [ -z "$wine" ]; then
  wine=/usr/lib/wine/wine64
  [ -f "${1:-}" ] && [ "$(pe_machine "$1")" = 014c ] && wine=/usr/lib/wine/wine
fi

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# The fonts for other scripts are set once, by the first program in the prefix, which also
# builds the prefix; so is the DPI.
fonts_mark="$WINEPREFIX/norv-fonts"
if [ ! -e "$fonts_mark" ]; then
  fonts_reg="Z:$(cd "$(dirname "$0")" && pwd)/wine-fonts.reg"
  env LC_ALL="$locale" LANG="$locale" "$wine" regedit.exe /S "${fonts_reg//\//\\}" >/dev/null 2>&1 &&
    touch "$fonts_mark"
fi
dpi_mark="$WINEPREFIX/norv-dpi-${NORV_DPI:-}"
if [ -n "${NORV_DPI:-}" ] && [ ! -e "$dpi_mark" ]; then
  env LC_ALL="$locale" LANG="$locale" "$wine" reg.exe add 'HKCU\Control Panel\Desktop' \
    /v LogPixels /t REG_DWORD /d "$NORV_DPI" /f >/dev/null 2>&1 && touch "$dpi_mark"
fi
# Set for Wine only: the Unix locale need not be installed, and the shell would complain.
exec env LC_ALL="$locale" LANG="$locale" "$wine" "$@"
