; The installer of kelmi for 64-bit Windows (makensis -INPUTCHARSET UTF8, from
; scripts/package-windows). It installs the portable folder into Program Files, asks for
; the match folder, where the console writes player1.dat and player2.dat, and makes the
; Start-menu shortcut start the console there: Program Files is not writable, and the match
; program reads the files from that folder. The uninstaller removes what was installed;
; the player files stay.
;
; Defines: VERSION, OUTFILE, INSTALL_LIST and UNINSTALL_LIST (generated File and Delete lines
; for every file of the portable folder).
; Silent install: setup.exe /S [/MATCHDIR=C:\path] [/D=C:\install\path]

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
${StrStr}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kelmi"
!define SETTINGS_KEY "Software\kelmi"
!define SHORTCUT "$SMPROGRAMS\ケルミ.lnk"

Name "ケルミ"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\kelmi"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "kelmi"
VIAddVersionKey /LANG=1041 "FileDescription" "ケルミ セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"

Var MatchFolder
Var MatchFolderCreated

; The match folder given on the command line, as /MATCHDIR=C:\match, /MATCHDIR="C:\my match"
; or "/MATCHDIR=C:\my match"; empty when none is given.
Function MatchFolderOption
    Push $0
    Push $1
    Push $2
    Push $3
    ${GetParameters} $0
    ${StrStr} $1 $0 "/MATCHDIR="
    ${If} $1 == ""
        StrCpy $0 ""
    ${Else}
        ; The character before the option tells whether the whole option is quoted.
        StrLen $2 $0
        StrLen $3 $1
        IntOp $2 $2 - $3
        IntOp $2 $2 - 1
        StrCpy $3 " "
        ${If} $2 >= 0
            StrCpy $3 $0 1 $2
        ${EndIf}
        StrCpy $1 $1 "" 10
        StrCpy $2 $1 1
        ${If} $2 == '"'
            StrCpy $1 $1 "" 1
            StrCpy $3 '"'
        ${EndIf}
        ; Up to the closing quote, or the next space when nothing was quoted.
        ${If} $3 != '"'
            StrCpy $3 " "
        ${EndIf}
        StrCpy $0 ""
        ${Do}
            StrCpy $2 $1 1
            ${If} $2 == ""
            ${OrIf} $2 == $3
                ${ExitDo}
            ${EndIf}
            StrCpy $0 "$0$2"
            StrCpy $1 $1 "" 1
        ${Loop}
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

!define MUI_ICON "kelmi.ico"
!define MUI_UNICON "kelmi.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "対戦フォルダーの選択"
!define MUI_PAGE_HEADER_SUBTEXT "player1.dat と player2.dat を保存するフォルダーです。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "スタートメニューの「ケルミ」から起動すると、ケルミはこのフォルダーに player1.dat と player2.dat を保存します。対戦プログラムがファイルを読むフォルダーを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "対戦フォルダー"
!define MUI_DIRECTORYPAGE_VARIABLE $MatchFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
    SetRegView 64
    SetShellVarContext all
    ; A folder every user of the machine may write to, unless an earlier install chose one.
    ReadRegStr $MatchFolder HKLM "${SETTINGS_KEY}" "MatchFolder"
    ${If} $MatchFolder == ""
        StrCpy $MatchFolder "$DOCUMENTS\kelmi"
    ${EndIf}
    Call MatchFolderOption
    Pop $0
    ${If} $0 != ""
        StrCpy $MatchFolder $0
    ${EndIf}
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    !include "${INSTALL_LIST}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    StrCpy $MatchFolderCreated 0
    ${IfNot} ${FileExists} "$MatchFolder\*.*"
        CreateDirectory "$MatchFolder"
        StrCpy $MatchFolderCreated 1
    ${EndIf}
    ; The shortcut's working folder is the output folder when it is made.
    SetOutPath "$MatchFolder"
    CreateShortCut "${SHORTCUT}" "$INSTDIR\kelmi.exe" "" "$INSTDIR\kelmi.exe" 0
    SetOutPath "$INSTDIR"

    WriteRegStr HKLM "${SETTINGS_KEY}" "MatchFolder" "$MatchFolder"
    WriteRegDWORD HKLM "${SETTINGS_KEY}" "MatchFolderCreated" $MatchFolderCreated
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ケルミ"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "kelmi"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelmi.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Section "Uninstall"
    Delete "${SHORTCUT}"
    !include "${UNINSTALL_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; The player files stay; a match folder the installer made goes only when it is empty.
    ReadRegStr $0 HKLM "${SETTINGS_KEY}" "MatchFolder"
    ReadRegDWORD $1 HKLM "${SETTINGS_KEY}" "MatchFolderCreated"
    ${If} $1 == 1
    ${AndIf} $0 != ""
        RMDir "$0"
    ${EndIf}
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
