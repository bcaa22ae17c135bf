; The Windows installer of the viewer and steel-archive, made by scripts/windows with makensis.
; Defines given by the script: VERSION, COMPANY, STAGE (the folder the zip holds), FILES and UNFILES (the lists of
; what is installed and what the uninstaller removes, written from that folder), ICON, OUTFILE.
; SPDX-License-Identifier: GPL-3.0-or-later
; A 64-bit installer for 64-bit programs (it also runs where only 64-bit Wine is installed).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Velmora-Steel Archive Viewer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\steel-viewer"
!define SETTINGS_KEY "Software\Velmora\steel-viewer"
!define FOLDER_VERB_KEY "Software\Classes\Directory\shell\steel-viewer"

; For all users (Program Files, needs an administrator) or for the one user running it (their own
; programs folder, no administrator): asked on a page, or /AllUsers or /CurrentUser when silent.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${SETTINGS_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${SETTINGS_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include nsDialogs.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${COMPANY}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The folder that holds the plant's "archive" folder: the viewer looks for archive\ in its working
; directory and keeps no settings, so the shortcut starts it there (a local folder or a network share).
Var ArchiveParent
Var ArchiveField
; Whether /ARCHIVEDIR= was given on the command line, and how often.
Var ArchiveDirGiven
; The first argument the installer does not know, empty when there is none.
Var UnknownOption
; Whether /FOLLOW was given.
Var FollowGiven
; Whether the shortcut starts the viewer following new measurements (the page's check box, or /FOLLOW),
; and its check box.
Var FollowNew
Var FollowBox

!insertmacro MUI_PAGE_LICENSE "${STAGE}\licences\steel-viewer.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
Page custom ArchivePageCreate ArchivePageLeave
!insertmacro MUI_PAGE_INSTFILES
; The Russian title takes three lines at 96 DPI.
!define MUI_FINISHPAGE_TITLE_3LINES
!define MUI_FINISHPAGE_RUN "$INSTDIR\steel-viewer.exe"
!define MUI_FINISHPAGE_RUN_FUNCTION StartViewer
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString ArchiveHeader ${LANG_ENGLISH} "Archive folder"
LangString ArchiveHeader ${LANG_RUSSIAN} "Папка архива"
LangString ArchiveSubheader ${LANG_ENGLISH} "Where the viewer finds the measurement archive."
LangString ArchiveSubheader ${LANG_RUSSIAN} "Где программа находит архив измерений."
LangString ArchiveTop ${LANG_ENGLISH} "Choose the folder that holds the plant's $\"archive$\" folder. The viewer starts there and shows the archive folder inside it.$\n$\nFor example: D:\Plant or \\server\share"
LangString ArchiveTop ${LANG_RUSSIAN} "Выберите папку, в которой лежит папка $\"archive$\". Программа запускается в ней и показывает архив из папки archive.$\n$\nНапример: D:\Plant или \\server\share"
LangString ArchiveDestination ${LANG_ENGLISH} "Folder holding $\"archive$\""
LangString ArchiveDestination ${LANG_RUSSIAN} "Папка, содержащая $\"archive$\""
LangString ArchiveBrowse ${LANG_ENGLISH} "Choose the folder that holds the $\"archive$\" folder:"
LangString ArchiveBrowse ${LANG_RUSSIAN} "Выберите папку, в которой лежит папка $\"archive$\":"
LangString FollowCheck ${LANG_ENGLISH} "Show each new measurement as soon as it arrives (for the screen beside the furnace)"
LangString FollowCheck ${LANG_RUSSIAN} "Показывать каждое новое измерение сразу (для экрана у печи)"
LangString NoFolder ${LANG_ENGLISH} "The folder$\n$ArchiveParent$\nwas not found.$\n$\nGive the full path of an existing folder (a network share must be reachable now)."
LangString NoFolder ${LANG_RUSSIAN} "Папка$\n$ArchiveParent$\nне найдена.$\n$\nУкажите полный путь к существующей папке (сетевая папка должна быть доступна сейчас)."
LangString NoArchive ${LANG_ENGLISH} "There is no $\"archive$\" folder in$\n$ArchiveParent$\n$\nUse this folder anyway?"
LangString NoArchive ${LANG_RUSSIAN} "В папке$\n$ArchiveParent$\nнет папки $\"archive$\".$\n$\nВсё равно использовать её?"
LangString UnknownOptionText ${LANG_ENGLISH} "Unknown option: $UnknownOption$\n$\nThe installer knows /S, /AllUsers, /CurrentUser, /ARCHIVEDIR=FOLDER, /FOLLOW and /D=FOLDER (last). Nothing was installed or changed."
LangString UnknownOptionText ${LANG_RUSSIAN} "Неизвестный параметр: $UnknownOption$\n$\nУстановщик знает /S, /AllUsers, /CurrentUser, /ARCHIVEDIR=ПАПКА, /FOLLOW и /D=ПАПКА (последним). Ничего не установлено и не изменено."

; Exit codes (the README lists them): 0 installed; 1 cancelled by the user; 2 not installed (no 64-bit
; Windows, no right to install for all users, a file that could not be written, an option it does not
; know); 3 not installed because /ARCHIVEDIR= names no existing folder (or was given twice).
!define EXIT_UNKNOWN_OPTION 2
!define EXIT_BAD_ARCHIVEDIR 3

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "This program needs 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    StrCpy $ArchiveParent "$DOCUMENTS"
    StrCpy $FollowNew ${BST_UNCHECKED}
    Call ReadArchiveDirOption
    ; A misspelt option would otherwise install with a default in its place (a folder, following) and
    ; overwrite what a person had chosen: nothing is done, before the install mode is even looked at.
    ${If} $UnknownOption != ""
        MessageBox MB_OK|MB_ICONSTOP "$(UnknownOptionText)" /SD IDOK
        SetErrorLevel ${EXIT_UNKNOWN_OPTION}
        Quit
    ${EndIf}
    !insertmacro MULTIUSER_INIT
    Call KeepEarlierChoices
    ; A silent install cannot ask again: a wrong folder ends it before anything is installed. The
    ; page checks the same when it is left.
    ${If} ${Silent}
    ${AndIf} $ArchiveDirGiven != 0
        Push $ArchiveParent
        Call IsExistingFolder
        Pop $0
        ${If} $0 != 1
        ${OrIf} $ArchiveDirGiven > 1
            SetErrorLevel ${EXIT_BAD_ARCHIVEDIR}
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

; /ARCHIVEDIR=FOLDER from the parameters, split into arguments as Windows programs split them: a
; double quote opens or closes a quoted stretch anywhere in an argument and is itself dropped, so that
; "/ARCHIVEDIR=D:\plant dir" (a script quoting each argument) and /ARCHIVEDIR="D:\plant dir" name the
; same folder. A backslash never escapes a quote, since a folder may end in one. Words without a
; leading "/" after it continue an unquoted folder, as NSIS's own /D= reads one. Sets $ArchiveParent
; and $ArchiveDirGiven (how often the option came); /FOLLOW sets $FollowNew and $FollowGiven; any other
; argument but the installer's own options sets $UnknownOption, the first one.
Function ReadArchiveDirOption
    ${GetParameters} $R0
    StrCpy $ArchiveDirGiven 0
    StrCpy $FollowGiven 0
    StrCpy $UnknownOption ""
    StrCpy $R1 ""  ; the argument being read
    StrCpy $R2 0   ; inside quotes
    StrCpy $R3 0   ; index into the parameters
    StrCpy $R5 0   ; the last argument was /ARCHIVEDIR= or continued it
    ${Do}
        StrCpy $R4 $R0 1 $R3
        IntOp $R3 $R3 + 1
        ${If} $R4 == '"'
            IntOp $R2 1 - $R2
            ${Continue}
        ${ElseIf} $R4 != ""
        ${AndIf} $R2 == 1
            StrCpy $R1 "$R1$R4"
            ${Continue}
        ${ElseIf} $R4 != " "
        ${AndIf} $R4 != "$\t"
        ${AndIf} $R4 != ""
            StrCpy $R1 "$R1$R4"
            ${Continue}
        ${EndIf}
        ; The end of an argument.
        ${If} $R1 != ""
            StrCpy $R6 $R1 12
            StrCpy $R7 $R1 1
            ${If} $R6 == "/ARCHIVEDIR="
                StrCpy $ArchiveParent $R1 "" 12
                IntOp $ArchiveDirGiven $ArchiveDirGiven + 1
                StrCpy $R5 1
            ${ElseIf} $R5 == 1
            ${AndIf} $R7 != "/"
                StrCpy $ArchiveParent "$ArchiveParent $R1"
            ${Else}
                StrCpy $R5 0
                Push $R1
                Call IsKnownOption
                Pop $R6
                ${If} $R1 == "/FOLLOW"
                    StrCpy $FollowNew ${BST_CHECKED}
                    StrCpy $FollowGiven 1
                ${ElseIf} $R6 != 1
                ${AndIf} $UnknownOption == ""
                    StrCpy $UnknownOption $R1
                ${EndIf}
            ${EndIf}
            StrCpy $R1 ""
        ${EndIf}
    ${LoopUntil} $R4 == ""
FunctionEnd

; Whether the argument on the stack is one of the options the installer takes besides /ARCHIVEDIR=:
; leaves 1 or 0 on the stack. NSIS's own /S and /NCRC are told by their exact spelling (it ignores any
; other); the install mode's /AllUsers and /CurrentUser in any letter case, as MultiUser reads them. NSIS
; takes /D=FOLDER, the last argument, off the command line before the script sees it.
Function IsKnownOption
    Exch $0
    ${If} $0 S== "/S"
    ${OrIf} $0 S== "/NCRC"
    ${OrIf} $0 == "/AllUsers"
    ${OrIf} $0 == "/CurrentUser"
    ${OrIf} $0 == "/FOLLOW"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Exch $0
FunctionEnd

; A re-run updates the installation it finds: its archive folder and its following stay as they were
; chosen, unless the command line gives the folder anew. An installation of an earlier version kept them in
; its shortcut only, which is read then.
Function KeepEarlierChoices
    ReadRegStr $2 SHCTX "${SETTINGS_KEY}" "ArchiveParent"
    ClearErrors
    ReadRegDWORD $3 SHCTX "${SETTINGS_KEY}" "Follow"
    ${If} ${Errors}
        StrCpy $3 ""
    ${EndIf}
    ${If} $2 == ""
    ${AndIf} ${FileExists} "$SMPROGRAMS\${PRODUCT}.lnk"
        Call ReadShortcut
        Pop $2 ; its working directory
        Pop $4 ; its arguments
        ${If} $2 != ""
            StrCpy $3 0
            ${If} $4 == "--follow"
                StrCpy $3 1
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ${If} $ArchiveDirGiven == 0
    ${AndIf} $2 != ""
        StrCpy $ArchiveParent $2
    ${EndIf}
    ; A command line that names the folder says all it wants: following only with /FOLLOW.
    ${If} $FollowGiven == 0
    ${AndIf} $ArchiveDirGiven == 0
    ${AndIf} $3 != ""
        ${If} $3 == 1
            StrCpy $FollowNew ${BST_CHECKED}
        ${Else}
            StrCpy $FollowNew ${BST_UNCHECKED}
        ${EndIf}
    ${EndIf}
FunctionEnd

; The Start-menu shortcut's working directory and arguments, through the shell's own IShellLinkW and
; IPersistFile (methods 8 GetWorkingDirectory and 10 GetArguments; 5 Load): leaves the arguments,
; then the folder on top, on the stack, both empty when it cannot be read.
Function ReadShortcut
    StrCpy $5 ""
    StrCpy $6 ""
    System::Call "ole32::CoCreateInstance(g '{00021401-0000-0000-C000-000000000046}', p 0, i 1, g '{000214F9-0000-0000-C000-000000000046}', *p .r7) i .r0"
    ${If} $0 == 0
        System::Call "$7->0(g '{0000010b-0000-0000-C000-000000000046}', *p .r8) i .r0"
        ${If} $0 == 0
            System::Call "$8->5(w '$SMPROGRAMS\${PRODUCT}.lnk', i 0) i .r0"
            ${If} $0 == 0
                System::Call "$7->8(w .r5, i ${NSIS_MAX_STRLEN}) i .r0"
                System::Call "$7->10(w .r6, i ${NSIS_MAX_STRLEN}) i .r0"
            ${EndIf}
            System::Call "$8->2()"
        ${EndIf}
        System::Call "$7->2()"
    ${EndIf}
    Push $6
    Push $5
FunctionEnd

; Whether the path on the stack is an existing folder given in full (D:\... or \\server\share\...):
; leaves 1 or 0 on the stack. A relative path would mean whatever folder the shortcut happened to run in.
Function IsExistingFolder
    Exch $0
    Push $1
    StrCpy $1 $0 2
    ${If} $1 == "\\"
        StrCpy $1 1
    ${Else}
        StrCpy $1 $0 2 1
        ${If} $1 == ":\"
        ${OrIf} $1 == ":/"
            StrCpy $1 1
        ${Else}
            StrCpy $1 0
        ${EndIf}
    ${EndIf}
    ${If} $1 == 1
    ${AndIfNot} ${FileExists} "$0\*.*"
        StrCpy $1 0
    ${EndIf}
    StrCpy $0 $1
    Pop $1
    Exch $0
FunctionEnd

; The archive folder's page, of its own: its own texts and Browse dialog, and no disk space figures
; (nothing is installed there).
Function ArchivePageCreate
    !insertmacro MUI_HEADER_TEXT "$(ArchiveHeader)" "$(ArchiveSubheader)"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 50u "$(ArchiveTop)"
    Pop $0
    ${NSD_CreateGroupBox} 0 70u 100% 34u "$(ArchiveDestination)"
    Pop $0
    ${NSD_CreateDirRequest} 10u 84u 210u 12u "$ArchiveParent"
    Pop $ArchiveField
    ${NSD_CreateBrowseButton} 228u 82u 60u 15u "$(^BrowseBtn)"
    Pop $0
    ${NSD_OnClick} $0 ArchivePageBrowse
    ${NSD_CreateCheckbox} 0 116u 100% 12u "$(FollowCheck)"
    Pop $FollowBox
    ${NSD_SetState} $FollowBox $FollowNew
    nsDialogs::Show
FunctionEnd

Function ArchivePageBrowse
    ${NSD_GetText} $ArchiveField $0
    nsDialogs::SelectFolderDialog "$(ArchiveBrowse)" "$0"
    Pop $0
    ${If} $0 != error
        ${NSD_SetText} $ArchiveField "$0"
    ${EndIf}
FunctionEnd

; The folder must exist. One without an archive\ in it is allowed (the archive may not exist yet),
; but the operator is told, and Enter keeps them on the page.
Function ArchivePageLeave
    ${NSD_GetText} $ArchiveField $ArchiveParent
    ${NSD_GetState} $FollowBox $FollowNew
    Push $ArchiveParent
    Call IsExistingFolder
    Pop $0
    ${If} $0 != 1
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(NoFolder)"
        Abort
    ${EndIf}
    ${IfNot} ${FileExists} "$ArchiveParent\archive\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(NoArchive)" /SD IDYES IDYES +2
        Abort
    ${EndIf}
FunctionEnd

; The viewer's arguments in the shortcut: --follow where following was chosen, else none (the
; viewer's plain start). Leaves them on the stack.
Function ShortcutArguments
    ${If} $FollowNew == ${BST_CHECKED}
        Push "--follow"
    ${Else}
        Push ""
    ${EndIf}
FunctionEnd

; The finish page's check box: the viewer as the shortcut starts it, in the folder holding archive\
; and with the shortcut's arguments. Exec starts a program in the installer's own current folder,
; which only SetOutPath changes (not $OUTDIR set by hand): that folder is made current for it, not
; made (it exists, the archive page saw to that), then the installation folder again.
Function StartViewer
    Call ShortcutArguments
    Pop $0
    System::Call 'kernel32::SetCurrentDirectoryW(w "$ArchiveParent") i .r1'
    ${If} $1 != 0
        Exec '"$INSTDIR\steel-viewer.exe" $0'
    ${EndIf}
    SetOutPath "$INSTDIR"
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Install"
    ; The folder that holds the installation's folder (%LOCALAPPDATA%\Programs for one user) may be
    ; made here: the uninstaller then removes it too when it is left empty.
    ${GetParent} "$INSTDIR" $1
    ${IfNot} ${FileExists} "$1\*.*"
        WriteRegStr SHCTX "${SETTINGS_KEY}" "MadeParent" "$1"
    ${EndIf}
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut's working directory, the folder holding archive\, is taken from $OUTDIR; it is set
    ; rather than made with SetOutPath, which would create a folder that is not there.
    Call ShortcutArguments
    Pop $0
    StrCpy $OUTDIR "$ArchiveParent"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\steel-viewer.exe" "$0" "$INSTDIR\steel-viewer.exe" 0
    SetOutPath "$INSTDIR"

    WriteRegStr SHCTX "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
    WriteRegStr SHCTX "${SETTINGS_KEY}" "ArchiveParent" "$ArchiveParent"
    ${If} $FollowNew == ${BST_CHECKED}
        WriteRegDWORD SHCTX "${SETTINGS_KEY}" "Follow" 1
    ${Else}
        WriteRegDWORD SHCTX "${SETTINGS_KEY}" "Follow" 0
    ${EndIf}
    ; Explorer's menu of a folder opens it in the viewer as its archive folder.
    WriteRegStr SHCTX "${FOLDER_VERB_KEY}" "" "Открыть в просмотрщике архива"
    WriteRegStr SHCTX "${FOLDER_VERB_KEY}" "Icon" "$INSTDIR\steel-viewer.exe"
    WriteRegStr SHCTX "${FOLDER_VERB_KEY}\command" "" '"$INSTDIR\steel-viewer.exe" "%1"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\steel-viewer.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what was installed (never the folder's other contents, should someone have chosen a
; folder of their own), the shortcut, the registry entries, and steel-archive's index of this user.
Section "Uninstall"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    !include "${UNFILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ; The folder above, where the installer made it, once nothing else is in it.
    ReadRegStr $0 SHCTX "${SETTINGS_KEY}" "MadeParent"
    ${If} $0 != ""
        RMDir "$0"
    ${EndIf}
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegKey SHCTX "${FOLDER_VERB_KEY}"
    DeleteRegKey SHCTX "${SETTINGS_KEY}"
    DeleteRegKey /ifempty SHCTX "Software\Velmora"
    ; The index lives in the user's own local application data, whichever way the program was installed.
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\steel-archive"
SectionEnd
