#!/usr/bin/env bash
# The installer as a developer runs it, silently: for all users into a chosen folder, then for
# the current user alone. After each install the files are there, the control is registered
# (for all users, a script host of each bitness creates it) and the list of installed programs
# shows it; after each silent uninstall no file, key or entry of it is left.
#   installer_test.sh SETUP.EXE CREATE.VBS   in the prefix NORV_WINEPREFIX, with wine64
set -u
setup=$1 script=$2
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
# The installer is a 32-bit program: skipped, saying why, where those do not run.
not_run=$("$scripts/runs-x86.sh") || { echo "not run: $not_run"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { "$scripts/wine-run.sh" "$@" 2>/dev/null; }
windows() { local path="Z:$1"; echo "${path//\//\\}"; }
# Every program of the prefix ended and its registry written out.
settle() { WINEPREFIX=$NORV_WINEPREFIX /usr/lib/wine/wineserver -w; }
drive=$NORV_WINEPREFIX/drive_c
clsid_key='CLSID\{0F6339AF-1306-4B37-A22A-7E55061277CD}'
# The prefix's files, but for the temporary ones (an uninstaller runs from a copy there).
files() { (cd "$drive" && find . -path ./users/*/Temp -prune -o -print | sort); }
# Lines of the registry that name the control, its identifiers, the product or its folders.
traces() {
  grep -i -e 'norv' -e '0F6339AF-1306' -e '0C617DE4-EF2A' -e 'C6E8AB84-8449' -e 'DF75538C-DF67' \
    -e '18679933-28EF' "$NORV_WINEPREFIX/system.reg" "$NORV_WINEPREFIX/user.reg"
}
listed() { run uninstaller.exe --list | grep -q "Norvik Control"; }

settle
before=$(files)
traces && fail "the prefix names the control before the install"

# mode: the switches; kit, x86: where the kit and the 32-bit build go (Windows paths);
# classes: the registry file the registration goes to.
check_install() {
  local mode=$1 kit=$2 x86=$3 classes=$4
  # Through cmd: /D= takes the rest of the line unquoted, spaces and all.
  run cmd.exe /c "$(windows "$setup") /S $mode" || fail "$mode: the installer failed"
  settle
  for file in "$kit\\x64\\norv.dll" "$kit\\include\\norv_h.h" "$kit\\norv.tlb" \
    "$kit\\uninstall.exe" "$x86\\norv.dll"; do
    [ -f "$drive/$(tr '\\' / <<<"${file#C:\\}")" ] || fail "$mode: no $file"
  done
  # Each build registered with its own bitness: a program of each kind finds its own and
  # creates the control (Wine 8 creates controls from the machine's classes only, never the
  # user's, and from the other bitness's in a surrogate process, hence the reading first).
  [ $classes = user.reg ] ||
    for host in "system32|$kit\\x64\\norv.dll" "syswow64|$x86\\norv.dll"; do
      local folder=${host%%|*} dll=${host#*|}
      run "C:\\windows\\$folder\\reg.exe" query "HKCR\\$clsid_key\\InprocServer32" /ve |
        grep -qiF "$dll" || fail "$mode: the $folder programs do not find $dll"
      run "C:\\windows\\$folder\\cscript.exe" //nologo "$(windows "$script")" ||
        fail "$mode: $folder's script host cannot create the control"
    done
  grep -qi '0F6339AF-1306' "$NORV_WINEPREFIX/$classes" || fail "$mode: not registered in $classes"
  listed || fail "$mode: not in the list of installed programs"

  run "$kit\\uninstall.exe" /S || fail "$mode: the uninstaller failed"
  settle
  [ "$(files)" = "$before" ] || fail "$mode: files left: $(diff <(echo "$before") <(files))"
  traces && fail "$mode: registry entries left"
  listed && fail "$mode: still in the list of installed programs"
}

# For all users (the prefix's user is an administrator): Program Files and Program Files (x86),
# registered for the machine, the kit's folder chosen with /D.
check_install '/AllUsers /D=C:\Program Files\Norvik' 'C:\Program Files\Norvik' \
  'C:\Program Files (x86)\Norvik\x86' system.reg
# For the current user alone: the user's programs folder, registered in the user's classes.
programs='C:\users\'"$(id -un)"'\AppData\Local\Programs\Norv'
check_install /CurrentUser "$programs" "$programs\x86" user.reg

echo "installer: $failures failed"
[ $failures -eq 0 ]
