#!/usr/bin/env bash
# Runs the whole suite of a build tree in Wine prefixes unlike the usual one, to show that no
# test depends on one installation's fonts or prefix kind:
#   x64-only     a prefix made without the 32-bit side of Wine (x64 builds only): the loader is
#                started from a copy that cannot find the 32-bit loader beside it
#   fresh-fonts  only the fonts of a fresh Debian 12 (fonts-dejavu-core), the fonts Wine finds
#                when nothing recommends more: the icon-title font then measures 13 pixels, where
#                fonts-liberation (which wine32 recommends) makes it 12
#   icon-11pt    the icon-title font set to 11 points through SystemParametersInfo
# Each variant has the prefixes of the German locale and of the higher DPIs too.
# usage: scripts/prefix-variants.sh build/x64 [variant...]   (all variants by default)
set -uo pipefail
# One display for all: a prefix still being made when its display goes stays half made.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
tree=$(cd "${1:?build tree}" && pwd)
shift
variants=("$@")
if [ ${#variants[@]} -eq 0 ]; then
  variants=(fresh-fonts icon-11pt)
  grep -q 'toolchain-x86' "$tree/CMakeCache.txt" || variants=(x64-only "${variants[@]}")
fi
work="$tree/prefix-variants"
mkdir -p "$work"
run="$(cd "$(dirname "$0")" && pwd)/wine-run.sh"
quiet() { "$@" >/dev/null 2>&1; }

# A copy of the 64-bit loader with the libraries and data beside it, and no 32-bit loader.
loader_without_32_bit() {
  local root="$work/wine64-only"
  mkdir -p "$root/lib/wine" "$root/lib/x86_64-linux-gnu" "$root/share"
  cp -u /usr/lib/wine/wine64 "$root/lib/wine/"
  ln -sfn /usr/lib/wine/wineserver64 "$root/lib/wine/wineserver64"
  ln -sfn /usr/lib/x86_64-linux-gnu/wine "$root/lib/x86_64-linux-gnu/wine"
  ln -sfn /usr/share/wine "$root/share/wine"
  echo "$root/lib/wine/wine64"
}

# A fontconfig setup that sees the fonts of fonts-dejavu-core alone.
fresh_fonts() {
  mkdir -p "$work/fonts"
  for font in $(dpkg -L fonts-dejavu-core | grep '\.ttf$'); do ln -sfn "$font" "$work/fonts/"; done
  cat >"$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<fontconfig><dir>$work/fonts</dir><cachedir>$work/fontcache</cachedir></fontconfig>
EOF
  echo "$work/fonts.conf"
}

# A program that prints the icon-title font as the prefix realises it (face, tmHeight) and,
# given a size in points, sets it first; built for the tree's machine.
icon_font_tool() {
  local compiler=x86_64-w64-mingw32-gcc
  grep -q 'toolchain-x86' "$tree/CMakeCache.txt" && compiler=i686-w64-mingw32-gcc
  $compiler -x c -o "$work/icon_font.exe" - -luser32 -lgdi32 <<'EOF'
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
int main(int argc, char** argv) {
    LOGFONTW font;
    if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0))
        return 1;
    HDC dc = GetDC(NULL);
    if (argc > 1) {
        font.lfHeight = -MulDiv(atoi(argv[1]), GetDeviceCaps(dc, LOGPIXELSY), 72);
        if (!SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof font, &font,
                                   SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
            return 2;
    }
    HGDIOBJ old = SelectObject(dc, CreateFontIndirectW(&font));
    TEXTMETRICW text;
    char face[LF_FACESIZE];
    GetTextMetricsW(dc, &text);
    GetTextFaceA(dc, sizeof face, face);
    DeleteObject(SelectObject(dc, old));
    ReleaseDC(NULL, dc);
    printf("icon-title font: %s, tmHeight %ld\n", face, text.tmHeight);
    return 0;
}
EOF
  echo "$work/icon_font.exe"
}

tool=$(icon_font_tool)
status=0
# The suite's prefixes besides the plain one: a German locale's and one a higher DPI.
dpis=$(sed -n 's/^NORV_TEST_DPIS:STRING=//p' "$tree/CMakeCache.txt" | tr ';' ' ')
kinds=("NORV_LOCALE=de_DE.UTF-8")
for dpi in $dpis; do kinds+=("NORV_DPI=$dpi"); done
for variant in "${variants[@]}"; do
  prefix="$work/$variant"
  suffixes=("" -de_DE)
  for dpi in $dpis; do suffixes+=("-dpi$dpi"); done
  for suffix in "${suffixes[@]}"; do
    p="$prefix$suffix"
    [ -d "$p" ] && WINEPREFIX="$p" quiet /usr/lib/wine/wineserver -k
    rm -rf "$p"
  done
  env=(NORV_WINEPREFIX="$prefix")
  case "$variant" in
  x64-only)
    loader=$(loader_without_32_bit)
    for kind in "" "${kinds[@]}"; do # every prefix the tests use
      quiet env NORV_WINE="$loader" NORV_WINEPREFIX="$prefix" $kind "$run" wineboot.exe --init
    done
    ;;
  fresh-fonts) env+=(FONTCONFIG_FILE="$(fresh_fonts)") ;;
  icon-11pt)
    for kind in "" "${kinds[@]}"; do
      quiet env NORV_WINEPREFIX="$prefix" $kind "$run" "$tool" 11
    done
    ;;
  *) echo "unknown variant $variant"; status=1; continue ;;
  esac
  echo "===== $variant"
  env "${env[@]}" "$run" "$tool" 2>/dev/null | tr -d '\r'
  for suffix in "${suffixes[@]}"; do WINEPREFIX="$prefix$suffix" quiet /usr/lib/wine/wineserver -w; done
  (cd "$tree" && env "${env[@]}" ctest -j 2 --output-on-failure >"$work/$variant.log" 2>&1) ||
    status=1
  grep -h -A20 'tests passed' "$work/$variant.log"
  if [ "$variant" = x64-only ] && [ -e "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "x64-only: the prefix has a 32-bit side"
    status=1
  fi
  for suffix in "${suffixes[@]}"; do WINEPREFIX="$prefix$suffix" quiet /usr/lib/wine/wineserver -k; done
done
exit $status
