; The developer installer: the package's kit and both builds, each registered with its own
; bitness, for all users or for the current user alone; an uninstaller that takes back exactly
; what it put there.
;   makensis -DVERSION=1.0.0 -DLISTS=<folder of the file lists> -DOUTFILE=<setup.exe> installer.nsi
; LISTS holds install.nsh and uninstall.nsh, the package's files for the kit's folder
; ($INSTDIR, x64\ included) and for the 32-bit build's ($X86Dir), written by scripts/dist.sh.
;
; Command line: /S silent; /D=folder the kit's folder (last); /AllUsers or /CurrentUser. Without
; either, all users when run as administrator, else the current user; all users needs one.
; An install of the same mode elsewhere must be uninstalled first.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include MUI2.nsh

!define PRODUCT "Norvik Control"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Norv"
!define ADMINISTRATOR_NEEDED "Installing for all users needs an administrator: run this as administrator, or with /CurrentUser."

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir ""

Var AllUsers ; 1 for all users, 0 for the current user
Var X86Dir   ; the 32-bit build's folder

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_ICONSTOP "${ADMINISTRATOR_NEEDED}" /SD IDOK
        SetErrorLevel 740
        Quit
    ${EndIf}
!macroend

; The mode from the command line or the account, then the folders' defaults.
Function .onInit
    ${GetParameters} $R0
    UserInfo::GetAccountType
    Pop $R1
    StrCpy $AllUsers 0
    ${If} $R1 == "Admin"
        StrCpy $AllUsers 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/CurrentUser" $R2
    ${IfNot} ${Errors}
        StrCpy $AllUsers 0
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/AllUsers" $R2
    ${IfNot} ${Errors}
        StrCpy $AllUsers 1
        !insertmacro RequireAdministrator
    ${EndIf}
    ${If} $AllUsers == 1
        SetShellVarContext all
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$PROGRAMFILES64\Norv"
        ${EndIf}
    ${Else}
        SetShellVarContext current
        ${If} $INSTDIR == ""
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Norv"
        ${EndIf}
    ${EndIf}
FunctionEnd

; The 32-bit build goes beside the 64-bit one's folder under the 32-bit programs' folder, or
; into the kit's folder where that is not under the 64-bit programs' folder.
Function ChooseX86Folder
    StrCpy $X86Dir "$INSTDIR\x86"
    ${If} ${RunningX64}
    ${AndIf} $AllUsers == 1
        StrLen $0 "$PROGRAMFILES64\"
        StrCpy $1 $INSTDIR $0
        ${If} $1 == "$PROGRAMFILES64\"
            StrCpy $1 $INSTDIR "" $0
            StrCpy $X86Dir "$PROGRAMFILES32\$1\x86"
        ${EndIf}
    ${EndIf}
FunctionEnd

; $R0: the outermost of a folder and its parents that does not exist yet ("" when it does):
; the folder that uninstalling removes up to, if empty.
Function OutermostMissing
    Exch $R0
    Push $R1
    ${If} ${FileExists} "$R0\*.*"
        StrCpy $R0 ""
    ${EndIf}
    ${Do}
        ${GetParent} $R0 $R1
        ${If} $R1 == ""
        ${OrIf} ${FileExists} "$R1\*.*"
            ${ExitDo}
        ${EndIf}
        StrCpy $R0 $R1
    ${Loop}
    Pop $R1
    Exch $R0
FunctionEnd

; Removes a folder and its parents up to the one given, as far as they are empty.
!macro RemoveFoldersUpTo folder outermost
    Push $R0
    Push $R1
    StrCpy $R0 "${folder}"
    StrCpy $R1 "${outermost}"
    ${DoWhile} $R1 != ""
        RMDir $R0
        ${If} $R0 == $R1
            ${ExitDo}
        ${EndIf}
        ${GetParent} $R0 $R0
    ${Loop}
    Pop $R1
    Pop $R0
!macroend

; regsvr32 of the given bitness (System32 or SysWOW64), for this install's mode.
!macro Regsvr32 folder arguments dll
    ${If} $AllUsers == 1
        ExecWait '"$WINDIR\${folder}\regsvr32.exe" /s ${arguments} "${dll}"' $0
    ${Else}
        ExecWait '"$WINDIR\${folder}\regsvr32.exe" /s ${arguments} /n /i:user "${dll}"' $0
    ${EndIf}
!macroend

Section
    Call ChooseX86Folder
    ; Installing again over an install keeps its record of the folders it made; an install
    ; elsewhere must be uninstalled first.
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        ReadRegStr $R7 SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
        ReadRegStr $R8 SHCTX "${UNINSTALL_KEY}" "X86CreatedFolder"
    ${Else}
        ${If} $0 != ""
            MessageBox MB_ICONSTOP "${PRODUCT} is installed in $0; uninstall it first." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
        Push $INSTDIR
        Call OutermostMissing
        Pop $R7
        Push $X86Dir
        Call OutermostMissing
        Pop $R8
    ${EndIf}
    SetOutPath $INSTDIR
    !include "${LISTS}\install.nsh"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Both builds registered, the 64-bit one by the 64-bit regsvr32 (file system redirection
    ; off, so that System32 is the 64-bit one).
    StrCpy $R9 ""
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        !insertmacro Regsvr32 System32 "" "$INSTDIR\x64\norv.dll"
        ${EnableX64FSRedirection}
        ${If} $0 != 0
            StrCpy $R9 "$INSTDIR\x64\norv.dll"
        ${EndIf}
        !insertmacro Regsvr32 SysWOW64 "" "$X86Dir\norv.dll"
    ${Else}
        !insertmacro Regsvr32 System32 "" "$X86Dir\norv.dll"
    ${EndIf}
    ${If} $0 != 0
        StrCpy $R9 "$X86Dir\norv.dll"
    ${EndIf}

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Norvik"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "X86Location" "$X86Dir"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "CreatedFolder" $R7
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "X86CreatedFolder" $R8
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

    ${If} $R9 != ""
        MessageBox MB_ICONSTOP "$R9 could not be registered." /SD IDOK
        SetErrorLevel 3
    ${EndIf}
SectionEnd

; The mode is the one whose uninstall entry names this folder.
Function un.onInit
    StrCpy $AllUsers 0
    SetShellVarContext all
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
        !insertmacro RequireAdministrator
    ${Else}
        SetShellVarContext current
    ${EndIf}
    ReadRegStr $X86Dir SHCTX "${UNINSTALL_KEY}" "X86Location"
    ${If} $X86Dir == ""
        StrCpy $X86Dir "$INSTDIR\x86"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        !insertmacro Regsvr32 System32 "/u" "$INSTDIR\x64\norv.dll"
        ${EnableX64FSRedirection}
        !insertmacro Regsvr32 SysWOW64 "/u" "$X86Dir\norv.dll"
    ${Else}
        !insertmacro Regsvr32 System32 "/u" "$X86Dir\norv.dll"
    ${EndIf}
    ; The files and folders it made, each by name: anything else in them stays.
    !include "${LISTS}\uninstall.nsh"
    Delete "$INSTDIR\uninstall.exe"
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "X86CreatedFolder"
    !insertmacro RemoveFoldersUpTo $X86Dir $1
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "CreatedFolder"
    !insertmacro RemoveFoldersUpTo $INSTDIR $1
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
