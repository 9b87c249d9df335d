#!/usr/bin/env bash
# The package made from both trees holds what it must: each build with the build's version and
# the assembly manifest of its bitness, the kit, the documentation.
#   package_test.sh SOURCE X64_TREE X86_TREE OUT VERSION
set -u
source=$1 out=$4 version=$5
"$source/scripts/dist.sh" "$out" "$2" "$3" || exit 1
failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
[ -s "$out/norv-$version-setup.exe" ] || fail "no installer norv-$version-setup.exe"
listing=$(unzip -Z1 "$out/norv-$version.zip" | grep -v '/$' | sort)
kit="README.txt include/norv_h.h include/norv_i.c norv.tlb x64/Norv.Control.manifest x64/norv.dll x86/Norv.Control.manifest x86/norv.dll "
[ -d "$source/docs" ] || [ -d "$source/samples" ] || kit="README.md $kit"
[ "$(grep -v -e ^docs/ -e ^samples/ <<<"$listing" | tr '\n' ' ')" = "$kit" ] ||
  fail "the package holds $(tr '\n' ' ' <<<"$listing")"
for file in $(cd "$source" && git ls-files -- docs samples); do
  grep -qx "$file" <<<"$listing" || fail "no $file"
done

unpacked="$out/unpacked"
rm -rf "$unpacked" && unzip -q "$out/norv-$version.zip" -d "$unpacked"
for build in "x64 amd64" "x86 x86"; do
  read -r arch assembly <<<"$build"
  dll="$unpacked/$arch/norv.dll"
  # The version resource and the About box.
  texts=$(x86_64-w64-mingw32-strings -el "$dll")
  [ "$(grep -A1 -x FileVersion <<<"$texts" | tail -1)" = "$version" ] || fail "$dll: not $version"
  grep -qx "Version $version" <<<"$texts" || fail "$dll: its About box does not say $version"
  grep -q "name=\"Norv.Control\" version=\"$version.0\" *processorArchitecture=\"$assembly\"" \
    <(tr -s ' \n' ' ' <"$unpacked/$arch/Norv.Control.manifest") || fail "$arch: manifest"
done
grep -q 'name="Norv.Control"' "$unpacked/README.txt" || fail "README.txt shows no application manifest"
echo "package: $(wc -l <<<"$listing") files, $failures failed"
[ $failures -eq 0 ]
