; The installer of kelmi for 64-bit Windows (makensis -INPUTCHARSET UTF8, from
; scripts/package-windows). It installs the portable folder into Program Files, asks for
; the match folder, where the console writes player1.dat and player2.dat, and makes the
; Start-menu shortcut start the console there: Program Files is not writable, and the match
; program reads the files from that folder. The uninstaller removes what was installed;
; the player files stay.
;
; Neither the installer nor the uninstaller changes anything while kelmi.exe of the install
; folder runs: a running program's file cannot be replaced or removed, and a folder half old
; and half new, or an uninstall that leaves files without an uninstaller, is worse than none.
; Silent runs that refuse, or that meet a match folder that cannot be made, exit with 2.
;
; Defines: VERSION, OUTFILE, PACKAGE_LIST (generated: a PackagedFile line for every file of
; the portable folder, then a PackagedFolder line for every folder, deepest first), and
; UNCOMPRESSED for an installer made quickly.
; Silent install: setup.exe /S [/MATCHDIR=C:\path] [/D=C:\install\path]

Unicode true
Target amd64-unicode
!ifdef UNCOMPRESSED
; Made in seconds, for the package check's older version.
SetCompress off
!else
SetCompressor /SOLID lzma
!endif
RequestExecutionLevel admin
ManifestDPIAware true
; A file that cannot be written stops the install: no mixed folder is ever reported a success.
AllowSkipFiles off

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "StrFunc.nsh"
${StrStr}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kelmi"
!define SETTINGS_KEY "Software\kelmi"
; The installed files by their names in the install folder, to find at the next upgrade
; those that an earlier version installed and this one no longer has.
!define FILES_KEY "${SETTINGS_KEY}\InstalledFiles"
!define START_MENU "$SMPROGRAMS\ケルミ"
!define CONSOLE_SHORTCUT "${START_MENU}\ケルミ.lnk"
!define GUIDE "はじめにお読みください"
!define GUIDE_SHORTCUT "${START_MENU}\${GUIDE}.lnk"
; Where versions before the Start-menu folder put the console's shortcut.
!define OLD_CONSOLE_SHORTCUT "$SMPROGRAMS\ケルミ.lnk"
!define REFUSED 2

Name "ケルミ"
BrandingText "ケルミ ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\kelmi"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "kelmi"
VIAddVersionKey /LANG=1041 "FileDescription" "ケルミ インストーラー"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (c) 2026 The kelmi developers"

Var MatchFolder
Var MatchFolderCreated
Var Leftover

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

; Waits until kelmi.exe of the install folder no longer runs: Windows refuses to open a
; running program's file for writing. Interactive, the operator closes the console and
; retries, or cancels; silent, or cancelled, the installer ends here with nothing changed.
!macro REQUIRE_CONSOLE_CLOSED UN ACTION
Function ${UN}RequireConsoleClosed
    Push $0
  check:
    IfFileExists "$INSTDIR\kelmi.exe" 0 closed
    ClearErrors
    FileOpen $0 "$INSTDIR\kelmi.exe" a
    IfErrors running
    FileClose $0
    Goto closed
  running:
    IfSilent refused
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "ケルミが起動しているため、${ACTION}できません。$\r$\n$\r$\nケルミを閉じてから「再試行」を押してください。「キャンセル」を押すと、何も変更せずに${ACTION}をやめます。" IDRETRY check
  refused:
    SetErrorLevel ${REFUSED}
    Quit
  closed:
    Pop $0
FunctionEnd
!macroend
!insertmacro REQUIRE_CONSOLE_CLOSED "" "インストール"
!insertmacro REQUIRE_CONSOLE_CLOSED "un." "アンインストール"

; $MatchFolder without a trailing backslash (a drive's root keeps its own).
Function TrimMatchFolder
    Push $0
    StrLen $0 $MatchFolder
    ${DoWhile} $0 > 3
        StrCpy $0 $MatchFolder 1 -1
        ${If} $0 != "\"
            ${ExitDo}
        ${EndIf}
        StrCpy $MatchFolder $MatchFolder -1
        StrLen $0 $MatchFolder
    ${Loop}
    Pop $0
FunctionEnd

; Why $MatchFolder cannot be the match folder, in a sentence for the operator, or "" when
; it is a folder or can be made: a path from a drive or a share whose nearest existing
; part is a folder.
Function MatchFolderProblem
    Push $1
    Push $2
    Push $3
    StrCpy $1 $MatchFolder 2 1
    StrCpy $2 $MatchFolder 2
    ${If} $1 != ":\"
    ${AndIf} $2 != "\\"
        StrCpy $0 "「$MatchFolder」は対戦フォルダーにできません。C:\match のように、ドライブから始まるフォルダーを指定してください。"
    ${Else}
        StrCpy $0 ""
        StrCpy $1 $MatchFolder
        ${Do}
            StrCpy $3 "$1\*.*"
            StrCpy $2 $1 1 -1
            ${If} $2 == "\"
                StrCpy $3 "$1*.*"
            ${EndIf}
            ${If} ${FileExists} $3
                ${ExitDo}
            ${EndIf}
            ${If} ${FileExists} $1
                ${If} $1 == $MatchFolder
                    StrCpy $0 "「$MatchFolder」はファイルです。対戦フォルダーには、フォルダーを指定してください。"
                ${Else}
                    StrCpy $0 "対戦フォルダー「$MatchFolder」を作れません。「$1」はファイルです。別のフォルダーを指定してください。"
                ${EndIf}
                ${ExitDo}
            ${EndIf}
            ${GetParent} $1 $2
            ${If} $2 == ""
            ${OrIf} $2 == $1
                StrCpy $3 $1 1 1
                StrLen $2 $1
                ${If} $3 == ":"
                ${AndIf} $2 <= 3
                    StrCpy $1 $1 2
                    StrCpy $0 "対戦フォルダー「$MatchFolder」を作れません。$1 ドライブが見つかりません。別のフォルダーを指定してください。"
                ${Else}
                    StrCpy $0 "対戦フォルダー「$MatchFolder」を作れません。「$1」が見つかりません。別のフォルダーを指定してください。"
                ${EndIf}
                ${ExitDo}
            ${EndIf}
            StrCpy $1 $2
        ${Loop}
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
FunctionEnd

; Stops the install, before anything changed, with what went wrong.
Function RefuseInstall ; $0: the reason
    ${IfNot} ${Silent}
        MessageBox MB_OK|MB_ICONSTOP $0
    ${EndIf}
    SetErrorLevel ${REFUSED}
    Quit
FunctionEnd

; The program folder and the match folder are checked when the operator presses the
; install button, so that a page never greys the button out without saying why.
Function ProgramFolderLeave
    GetInstDirError $0
    ${If} $0 == 1
        MessageBox MB_OK|MB_ICONEXCLAMATION "「$INSTDIR」にはインストールできません。ドライブから始まるフォルダーを指定してください。"
        Abort
    ${ElseIf} $0 == 2
        MessageBox MB_OK|MB_ICONEXCLAMATION "「$INSTDIR」のドライブに空きが足りません。空きを作るか、別のフォルダーを指定してください。"
        Abort
    ${EndIf}
FunctionEnd

; 「アンインストール(U)」 needs a button half as wide again as NSIS's, whose own text fits
; it only in half-width kana. On the confirmation page it grows to the left, where there is
; no back button; the next page, which has one, gets the button's own size back.
Var UninstallButtonLeft
Var UninstallButtonTop
Var UninstallButtonWidth
Var UninstallButtonHeight
Function un.WidenUninstallButton
    GetDlgItem $0 $HWNDPARENT 1
    System::Call "*(i, i, i, i) p .r1"
    System::Call "user32::GetWindowRect(p r0, p r1)"
    System::Call "user32::MapWindowPoints(p 0, p $HWNDPARENT, p r1, i 2)"
    System::Call "*$1(i .r2, i .r3, i .r4, i .r5)"
    System::Free $1
    StrCpy $UninstallButtonLeft $2
    StrCpy $UninstallButtonTop $3
    IntOp $UninstallButtonWidth $4 - $2
    IntOp $UninstallButtonHeight $5 - $3
    IntOp $6 $UninstallButtonWidth / 2
    IntOp $2 $UninstallButtonLeft - $6
    IntOp $4 $UninstallButtonWidth + $6
    ; SWP_NOZORDER | SWP_NOACTIVATE
    System::Call "user32::SetWindowPos(p r0, p 0, i r2, i $UninstallButtonTop, i r4, i $UninstallButtonHeight, i 0x14)"
FunctionEnd
Function un.RestoreUninstallButton
    GetDlgItem $0 $HWNDPARENT 1
    System::Call "user32::SetWindowPos(p r0, p 0, i $UninstallButtonLeft, i $UninstallButtonTop, i $UninstallButtonWidth, i $UninstallButtonHeight, i 0x14)"
FunctionEnd

Function MatchFolderShow
    ; The space figures are the program's, not the match folder's.
    FindWindow $0 "#32770" "" $HWNDPARENT
    GetDlgItem $1 $0 1023
    ShowWindow $1 ${SW_HIDE}
    GetDlgItem $1 $0 1024
    ShowWindow $1 ${SW_HIDE}
FunctionEnd

Function MatchFolderLeave
    Call TrimMatchFolder
    Call MatchFolderProblem
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION $0
        Abort
    ${EndIf}
    Call RequireConsoleClosed
FunctionEnd

!define MUI_ICON "kelmi.ico"
!define MUI_UNICON "kelmi.ico"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "ケルミのインストールをやめますか？"
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "ケルミのアンインストールをやめますか？"

!define MUI_PAGE_HEADER_TEXT "インストール先の選択"
!define MUI_PAGE_HEADER_SUBTEXT "ケルミをインストールするフォルダーを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "ケルミを次のフォルダーにインストールします。別のフォルダーにインストールするには、「参照」を押してフォルダーを選んでください。$_CLICK"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "インストール先のフォルダー"
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ProgramFolderLeave
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "対戦フォルダーの選択"
!define MUI_PAGE_HEADER_SUBTEXT "player1.dat と player2.dat を保存するフォルダーです。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "スタートメニューの「ケルミ」から起動すると、ケルミはこのフォルダーに player1.dat と player2.dat を保存します。対戦プログラムがファイルを読むフォルダーを選んでください。まだないフォルダーは、インストールのときに作ります。"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "対戦フォルダー"
!define MUI_DIRECTORYPAGE_VARIABLE $MatchFolder
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_SHOW MatchFolderShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE MatchFolderLeave
!insertmacro MUI_PAGE_DIRECTORY

!define MUI_PAGE_HEADER_TEXT "インストール"
!define MUI_PAGE_HEADER_SUBTEXT "ケルミをインストールしています。しばらくお待ちください。"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "インストールの完了"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "インストールが完了しました。"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "インストールの中止"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "インストールは完了していません。"
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TITLE "ケルミのインストールが完了しました"
!define MUI_FINISHPAGE_TEXT "スタートメニューの「ケルミ」から起動してください。$\r$\n「データ１送信」「データ２送信」を押すと、$\r$\nplayer1.dat と player2.dat が、インストールのときに選んだ$\r$\n対戦フォルダーに保存されます。$\r$\n$\r$\n対戦フォルダー: $MatchFolder$\r$\n$\r$\n使い方は、スタートメニューの「ケルミ」にある$\r$\n「${GUIDE}」で読めます。$\r$\n$\r$\n「完了」を押すと、インストーラーを閉じます。"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "ケルミのアンインストール"
!define MUI_PAGE_HEADER_SUBTEXT "ケルミをこのコンピューターから削除します。"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "ケルミを次のフォルダーからアンインストールします。対戦フォルダーの player1.dat と player2.dat は削除しません。$_CLICK"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "アンインストール元:"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.WidenUninstallButton
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_TEXT "アンインストール"
!define MUI_PAGE_HEADER_SUBTEXT "ケルミをアンインストールしています。しばらくお待ちください。"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.RestoreUninstallButton
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "アンインストールの完了"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "アンインストールが完了しました。"
; (The installer's page leaves its abort texts defined: MUI forgets to unset them.)
!define /redef MUI_INSTFILESPAGE_ABORTHEADER_TEXT "アンインストールの中止"
!define /redef MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "アンインストールは完了していません。"
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; NSIS's own Japanese texts, where they say フォルダ or read awkwardly.
LangString ^DirSubCaption ${LANG_JAPANESE} ": インストール先のフォルダー"
LangString ^DirBrowseText ${LANG_JAPANESE} "ケルミをインストールするフォルダーを選んでください。"
LangString ^UninstallBtn ${LANG_JAPANESE} "アンインストール(&U)"
LangString ^ClickNext ${LANG_JAPANESE} "続けるには「次へ」を押してください。"
LangString ^ClickInstall ${LANG_JAPANESE} "「インストール」を押すと、インストールを始めます。"
LangString ^ClickUninstall ${LANG_JAPANESE} "「アンインストール」を押すと、アンインストールを始めます。"
LangString ^CreateFolder ${LANG_JAPANESE} "フォルダー作成:"
LangString ^OutputFolder ${LANG_JAPANESE} "出力先フォルダー:"
LangString ^RemoveFolder ${LANG_JAPANESE} "フォルダー削除:"
LangString ^CreatedUninstaller ${LANG_JAPANESE} "アンインストーラー作成:"
LangString ^FileError_NoIgnore ${LANG_JAPANESE} "次のファイルに書き込めません。$\r$\n$\r$\n$0$\r$\n$\r$\nケルミが起動していれば閉じてから「再試行」を押してください。「キャンセル」を押すと、インストールをやめます。"

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
    Call RequireConsoleClosed
FunctionEnd

; The match folder: made when missing. Whether an install made it is remembered across
; reinstalls, so that the uninstall removes it (when empty) however many installs ran since;
; one an earlier install made and this one no longer uses goes now, when empty.
Function PrepareMatchFolder
    Call TrimMatchFolder
    Call MatchFolderProblem
    ${If} $0 != ""
        Call RefuseInstall
    ${EndIf}
    ReadRegStr $1 HKLM "${SETTINGS_KEY}" "MatchFolder"
    ReadRegDWORD $2 HKLM "${SETTINGS_KEY}" "MatchFolderCreated"
    StrCpy $MatchFolderCreated 0
    ${If} $1 == $MatchFolder
    ${AndIf} $2 == 1
        StrCpy $MatchFolderCreated 1
    ${EndIf}
    ${IfNot} ${FileExists} "$MatchFolder\*.*"
        ClearErrors
        CreateDirectory "$MatchFolder"
        ${If} ${Errors}
        ${OrIfNot} ${FileExists} "$MatchFolder\*.*"
            StrCpy $0 "対戦フォルダー「$MatchFolder」を作れませんでした。書き込めるフォルダーを指定して、もう一度インストールしてください。"
            Call RefuseInstall
        ${EndIf}
        StrCpy $MatchFolderCreated 1
    ${EndIf}
    ${If} $1 != ""
    ${AndIf} $1 != $MatchFolder
    ${AndIf} $2 == 1
        RMDir "$1"
    ${EndIf}
FunctionEnd

; Every file and folder of this version, as generated lines of PACKAGE_LIST
; (PackagedFile NAME SOURCE, NAME as in the install folder; PackagedFolder NAME, deepest
; first), read in the meaning the caller gives them.
!macro PACKAGE_LIST FILE_MACRO FOLDER_MACRO
    !define PackagedFile "!insertmacro ${FILE_MACRO}"
    !define PackagedFolder "!insertmacro ${FOLDER_MACRO}"
    !include "${PACKAGE_LIST}"
    !undef PackagedFile
    !undef PackagedFolder
!macroend
!macro IgnoreFile NAME SOURCE
!macroend
!macro IgnoreFolder NAME
!macroend
!macro MakeFolder NAME
    CreateDirectory "$INSTDIR\${NAME}"
!macroend
!macro InstallFile NAME SOURCE
    File "/oname=$INSTDIR\${NAME}" "${SOURCE}"
!macroend
!macro RecordFile NAME SOURCE
    WriteRegStr HKLM "${FILES_KEY}" "${NAME}" ""
!macroend
!macro MatchFile NAME SOURCE
    StrCmp $0 "${NAME}" packaged
!macroend
!macro UninstallFile NAME SOURCE
    Delete "$INSTDIR\${NAME}"
    ${If} ${FileExists} "$INSTDIR\${NAME}"
        StrCpy $Leftover "$INSTDIR\${NAME}"
    ${EndIf}
!macroend
!macro UninstallFolder NAME
    RMDir "$INSTDIR\${NAME}"
!macroend

; Whether $0, a file's name in the install folder, is one of this version's files: 1 or 0.
Function IsPackagedFile
    !insertmacro PACKAGE_LIST MatchFile IgnoreFolder
    StrCpy $1 0
    Return
  packaged:
    StrCpy $1 1
FunctionEnd

; An upgrade: the files an earlier version installed that this version lacks go, with the
; folders they leave empty. (The others are replaced.)
Function RemoveRetiredFiles
    StrCpy $2 0
    ${Do}
        EnumRegValue $0 HKLM "${FILES_KEY}" $2
        ${If} $0 == ""
            ${ExitDo}
        ${EndIf}
        IntOp $2 $2 + 1
        Call IsPackagedFile
        ${If} $1 == 0
            Delete "$INSTDIR\$0"
            ${GetParent} "$INSTDIR\$0" $3
            ${Do}
                ${If} $3 == $INSTDIR
                ${OrIf} $3 == ""
                    ${ExitDo}
                ${EndIf}
                RMDir $3
                ${GetParent} $3 $3
            ${Loop}
        ${EndIf}
    ${Loop}
    DeleteRegKey HKLM "${FILES_KEY}"
FunctionEnd

Section
    Call RequireConsoleClosed
    Call PrepareMatchFolder

    Call RemoveRetiredFiles
    SetOutPath "$INSTDIR"
    !insertmacro PACKAGE_LIST IgnoreFile MakeFolder
    !insertmacro PACKAGE_LIST InstallFile IgnoreFolder
    !insertmacro PACKAGE_LIST RecordFile IgnoreFolder
    WriteUninstaller "$INSTDIR\uninstall.exe"

    Delete "${OLD_CONSOLE_SHORTCUT}"
    CreateDirectory "${START_MENU}"
    ; A shortcut's working folder is the output folder when it is made.
    SetOutPath "$MatchFolder"
    CreateShortCut "${CONSOLE_SHORTCUT}" "$INSTDIR\kelmi.exe" "" "$INSTDIR\kelmi.exe" 0
    SetOutPath "$INSTDIR"
    CreateShortCut "${GUIDE_SHORTCUT}" "$INSTDIR\${GUIDE}.txt"

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
    Call un.RequireConsoleClosed
FunctionEnd

Section "Uninstall"
    Call un.RequireConsoleClosed
    StrCpy $Leftover ""
    !insertmacro PACKAGE_LIST UninstallFile UninstallFolder
    ${If} $Leftover != ""
        ; The uninstaller and the program's entry stay, so that the uninstall can be run again.
        DetailPrint "削除できませんでした: $Leftover"
        ${IfNot} ${Silent}
            MessageBox MB_OK|MB_ICONSTOP "次のファイルを削除できませんでした。$\r$\n$\r$\n$Leftover$\r$\n$\r$\nこのファイルを使っているプログラムを閉じてから、もう一度アンインストールしてください。"
        ${EndIf}
        SetErrorLevel ${REFUSED}
        Abort
    ${EndIf}
    Delete "${CONSOLE_SHORTCUT}"
    Delete "${GUIDE_SHORTCUT}"
    RMDir "${START_MENU}"
    ; This is a copy of uninstall.exe, which started it and may not have ended yet (run in
    ; place, with _?=, it is uninstall.exe itself, which stays): the file, and then the
    ; folder, may be held a moment longer.
    ${If} $EXEDIR != $INSTDIR
        ${For} $0 1 50
            Delete "$INSTDIR\uninstall.exe"
            ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
                ${Break}
            ${EndIf}
            Sleep 100
        ${Next}
    ${EndIf}
    ; (A folder that is the current one cannot be removed.)
    SetOutPath "$TEMP"
    ${For} $0 1 50
        RMDir "$INSTDIR"
        ${DirState} "$INSTDIR" $1
        ; Gone, or holding files that are not the program's.
        ${If} $1 != 0
            ${Break}
        ${EndIf}
        Sleep 100
    ${Next}
    ; The player files stay; a match folder the installer made goes only when it is empty.
    ReadRegStr $0 HKLM "${SETTINGS_KEY}" "MatchFolder"
    ReadRegDWORD $1 HKLM "${SETTINGS_KEY}" "MatchFolderCreated"
    ${If} $1 == 1
    ${AndIf} $0 != ""
        RMDir "$0"
    ${EndIf}
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    ; Last, so that whoever waits for the uninstall to end can wait for this.
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
