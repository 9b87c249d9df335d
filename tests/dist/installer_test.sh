#!/usr/bin/env bash
# The installer as a developer runs it, silently, for all users into a chosen folder and then
# for the current user: the files are there, the control is registered (for all users, a
# script host of each bitness creates it) and listed with the installed programs; after the
# silent uninstall no file, key or entry of it is left.
#   installer_test.sh SETUP.EXE CREATE.VBS   in the prefix NORV_WINEPREFIX, with wine64
set -u
setup=$1 script=$2
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
not_run=$("$scripts/runs-x86.sh") || { echo "not run, the installer is 32-bit: $not_run"; exit 77; }
failures=0
fail() { echo "FAIL: $*" && failures=$((failures + 1)); }
run() { "$scripts/wine-run.sh" "$@" 2>/dev/null; }
windows() { local path="Z:$1" && echo "${path//\//\\}"; }
# Every program of the prefix ended, its registry written out.
settle() { WINEPREFIX=$NORV_WINEPREFIX /usr/lib/wine/wineserver -w; }
# The prefix's files but the temporary ones (an uninstaller runs from a copy there), and the
# registry's lines that name the control or its identifiers.
files() { (cd "$NORV_WINEPREFIX/drive_c" && find . -path ./users/*/Temp -prune -o -print | sort); }
traces() { grep -il -e norv -e 0F6339AF-1306 -e 0C617DE4-EF2A "$NORV_WINEPREFIX"/*.reg; }
listed() { run uninstaller.exe --list | grep -q "Norvik Control"; }
settle
before=$(files)

# mode: the switches; kit, x86: where the kit and the 32-bit build go; registry: the file that
# records the registration.
check() {
  local mode=$1 kit=$2 x86=$3 registry=$4
  # Through cmd: /D= takes the rest of the line unquoted, spaces and all.
  run cmd.exe /c "$(windows "$setup") /S $mode" && settle || fail "$mode: the installer failed"
  for file in "$kit/x64/norv.dll" "$kit/include/norv_h.h" "$kit/norv.tlb" "$x86/norv.dll"; do
    [ -f "$NORV_WINEPREFIX/drive_c/$file" ] || fail "$mode: no $file"
  done
  # Wine 8 creates controls from the machine's classes only, and, for a program of the other
  # bitness, in a surrogate process: the classes each kind of program reads must name its own.
  [ $registry = user.reg ] || for host in "system32 $kit/x64" "syswow64 $x86"; do
    read -r folder dll <<<"$host"
    run "C:\\windows\\$folder\\reg.exe" query \
      'HKCR\CLSID\{0F6339AF-1306-4B37-A22A-7E55061277CD}\InprocServer32' /ve |
      grep -qiF "C:\\${dll//\//\\}\\norv.dll" || fail "$mode: $folder's programs find no $dll"
    run "C:\\windows\\$folder\\cscript.exe" //nologo "$(windows "$script")" ||
      fail "$mode: $folder's script host cannot create the control"
  done
  grep -qi 0F6339AF-1306 "$NORV_WINEPREFIX/$registry" || fail "$mode: not registered in $registry"
  listed || fail "$mode: not listed with the installed programs"

  run "C:\\${kit//\//\\}\\uninstall.exe" /S && settle || fail "$mode: the uninstaller failed"
  [ "$(files)" = "$before" ] || fail "$mode: files left: $(diff <(echo "$before") <(files))"
  ! traces || fail "$mode: registry entries left"
  ! listed || fail "$mode: still listed with the installed programs"
}
check '/AllUsers /D=C:\Program Files\Norvik' 'Program Files/Norvik' \
  'Program Files (x86)/Norvik/x86' system.reg
check /CurrentUser "users/$(id -un)/AppData/Local/Programs/Norv" \
  "users/$(id -un)/AppData/Local/Programs/Norv/x86" user.reg
echo "installer: $failures failed"
[ $failures -eq 0 ]
