#!/usr/bin/env bash
# The release as a developer receives it: the package made from both trees holds what it must,
# each build of its own bitness, carrying the build's version, with its assembly manifest.
#   package_test.sh SOURCE X64_TREE X86_TREE OUT VERSION
set -u
source=$1 x64=$2 x86=$3 out=$4 version=$5
"$source/scripts/dist.sh" "$out" "$x64" "$x86" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

[ -s "$out/norv-$version-setup.exe" ] || fail "no installer norv-$version-setup.exe"
listing=$(unzip -Z1 "$out/norv-$version.zip" | grep -v '/$' | sort)
# Everything besides the documentation, exactly.
kit=$(grep -v -e '^docs/' -e '^samples/' <<<"$listing" | tr '\n' ' ')
expected="README.txt include/norv_h.h include/norv_i.c norv.tlb x64/Norv.Control.manifest x64/norv.dll x86/Norv.Control.manifest x86/norv.dll "
[ -d "$source/docs" ] || [ -d "$source/samples" ] || expected="README.md $expected"
[ "$kit" = "$expected" ] || fail "the package holds [$kit], not [$expected]"
for file in $(cd "$source" && git ls-files -- docs samples 2>/dev/null); do
  grep -qx "$file" <<<"$listing" || fail "$file is missing"
done

# Each build: its machine, its version (resource and About box) and its manifest.
unpacked="$out/unpacked"
rm -rf "$unpacked" && unzip -q "$out/norv-$version.zip" -d "$unpacked"
for build in "x64 8664 amd64" "x86 014c x86"; do
  read -r arch machine assembly <<<"$build"
  dll="$unpacked/$arch/norv.dll"
  header=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
  [ "$(od -An -tx2 -j$((header + 4)) -N2 "$dll" | tr -d ' ')" = "$machine" ] ||
    fail "$arch/norv.dll is not for $arch"
  texts=$(strings -el "$dll")
  [ "$(grep -A1 -x FileVersion <<<"$texts" | tail -1)" = "$version" ] ||
    fail "$arch/norv.dll's file version is not $version"
  grep -qx "Version $version" <<<"$texts" || fail "$arch/norv.dll's About box does not say $version"
  grep -q "name=\"Norv.Control\" version=\"$version.0\"" "$unpacked/$arch/Norv.Control.manifest" &&
    grep -q "processorArchitecture=\"$assembly\"" "$unpacked/$arch/Norv.Control.manifest" ||
    fail "$arch/Norv.Control.manifest is not version $version for $assembly"
done
grep -q 'name="Norv.Control"' "$unpacked/README.txt" || fail "README.txt shows no application manifest"

echo "package: $(wc -l <<<"$listing") files, $failures failed"
[ $failures -eq 0 ]
