#!/usr/bin/env bash
# Makes the release from the built x64 and x86 trees: OUT/norv-<version>.zip, what a host
# developer builds against and ships, and OUT/norv-<version>-setup.exe, which installs it.
#   scripts/dist.sh OUT X64_TREE X86_TREE
# The version is the build's (its CMake project version).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$1 x64=$2 x86=$3

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$x64/CMakeCache.txt")
[ -n "$version" ] || { echo "dist: no project version in $x64/CMakeCache.txt" >&2; exit 1; }
for tree in "$x64" "$x86"; do
  [ -f "$tree/src/control/norv.dll" ] || { echo "dist: $tree is not built" >&2; exit 1; }
done

mkdir -p "$out"
out=$(cd "$out" && pwd)
package="$out/norv-$version"
rm -rf "$package" "$out/lists"
mkdir -p "$package/include" "$out/lists"

# Each build with its assembly manifest, without the symbols a debugger would want.
for arch in x64 x86; do
  tree=$x64 strip=x86_64-w64-mingw32-strip
  [ $arch = x86 ] && tree=$x86 strip=i686-w64-mingw32-strip
  mkdir "$package/$arch"
  $strip -o "$package/$arch/norv.dll" "$tree/src/control/norv.dll"
  cp "$tree/src/control/Norv.Control.manifest" "$package/$arch/"
done
# The header, identifiers and type library of the 32-bit build, the shipping one; a 64-bit
# host reads them the same.
cp "$x86/src/control/generated/norv_h.h" "$x86/src/control/generated/norv_i.c" "$package/include/"
cp "$x86/src/control/generated/norv.tlb" "$package/"

# The reference and samples, where there are any; else the repository's README.
documentation=""
folders=()
for folder in docs samples; do [ -d "$root/$folder" ] && folders+=("$folder"); done
if [ ${#folders[@]} -gt 0 ]; then
  # The files the repository keeps, not what a build of the samples left there.
  files=$(cd "$root" && git ls-files -- "${folders[@]}" 2>/dev/null) || true
  [ -n "$files" ] || files=$(cd "$root" && find "${folders[@]}" -type f)
  while IFS= read -r file; do
    mkdir -p "$package/$(dirname "$file")"
    cp "$root/$file" "$package/$file"
  done <<<"$files"
  for folder in "${folders[@]}"; do
    about="the reference and the guides to hosting the control"
    [ "$folder" = samples ] && about="sample hosts"
    documentation+=$(printf '%-30s%s' "$folder\\" "$about")$'\n'
  done
else
  cp "$root/README.md" "$package/"
  documentation=$(printf '%-30s%s' "README.md" "how the control is built and tested")$'\n'
fi

# README.txt with the version, the documentation's lines and the application manifest, in
# Windows line ends.
awk -v version="$version" -v documentation="${documentation%$'\n'}" \
    -v manifest="$x64/src/control/application.manifest" '
  /@APPLICATION_MANIFEST@/ { while ((getline line < manifest) > 0) print "    " line; next }
  /@DOCUMENTATION@/ { print documentation; next }
  { gsub(/@VERSION@/, version); print }' "$root/res/package-readme.txt" |
  sed 's/$/\r/' >"$package/README.txt"

rm -f "$out/norv-$version.zip"
(cd "$package" && zip -qrX "$out/norv-$version.zip" .)

# The installer's lists: the 32-bit build to its own folder, everything else to the kit's;
# the uninstaller deletes each file by name, then each folder, deepest first, if empty.
(
  cd "$package"
  target() { case "$1" in x86/*) echo "\$X86Dir${1#x86}" ;; x86) echo "\$X86Dir" ;; *) echo "\$INSTDIR\\$1" ;; esac; }
  windows() { echo "${1//\//\\}"; }
  find . -mindepth 1 -type d -printf '%P\n' | sort | while read -r dir; do
    echo "SetOutPath \"$(windows "$(target "$dir")")\""
    find "$dir" -maxdepth 1 -type f | sort | while read -r file; do echo "File \"$package/$file\""; done
  done >"$out/lists/install.nsh"
  echo "SetOutPath \"\$INSTDIR\"" >>"$out/lists/install.nsh"
  find . -maxdepth 1 -type f -printf '%P\n' | sort | while read -r file; do
    echo "File \"$package/$file\""
  done >>"$out/lists/install.nsh"
  {
    find . -type f -printf '%P\n' | sort | while read -r file; do
      echo "Delete \"$(windows "$(target "$file")")\""
    done
    find . -mindepth 1 -type d -printf '%d %P\n' | sort -rn | while read -r _ dir; do
      echo "RMDir \"$(windows "$(target "$dir")")\""
    done
  } >"$out/lists/uninstall.nsh"
)
makensis -V2 -DVERSION="$version" -DLISTS="$out/lists" \
  -DOUTFILE="$out/norv-$version-setup.exe" "$root/scripts/installer.nsi" >/dev/null
echo "$out/norv-$version.zip"
echo "$out/norv-$version-setup.exe"
