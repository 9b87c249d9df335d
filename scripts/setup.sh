#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, 32-bit Wine for the x86
# build included; does nothing when all is there. Run as root or with sudo available.
set -euo pipefail

packages=(
  cmake ninja-build make
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libwine-dev wine64 wine32:i386 xvfb xauth imagemagick googletest python3
  nsis zip unzip
  # Glyphs for texts of other scripts, so that they draw as text and not as boxes: Cyrillic,
  # Greek, Arabic and Hebrew (DejaVu, 1.1 MB to download) and CJK (WenQuanYi Micro Hei,
  # 1.6 MB to download, 5 MB installed).
  fonts-dejavu-core fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine comes from the i386 side of the archive.
if [ "$(dpkg --print-architecture)" = amd64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
