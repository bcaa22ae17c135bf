; The Windows installer of the viewer and steel-archive, made by scripts/windows with makensis.
; Defines given by the script: VERSION, STAGE (the folder the zip holds), FILES and UNFILES (the lists of
; what is installed and what the uninstaller removes, written from that folder), ICON, OUTFILE.
; SPDX-License-Identifier: GPL-3.0-or-later
; A 64-bit installer for 64-bit programs (it also runs where only 64-bit Wine is installed).
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Velmora-Steel Archive Viewer"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\steel-viewer"
!define SETTINGS_KEY "Software\Velmora\steel-viewer"

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

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

; The folder that holds the plant's "archive" folder: the viewer looks for archive\ in its working
; directory and keeps no settings, so the shortcut starts it there (a local folder or a network share).
Var ArchiveParent

!insertmacro MUI_PAGE_LICENSE "${STAGE}\licences\steel-viewer.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_TEXT "$(ArchiveHeader)"
!define MUI_PAGE_HEADER_SUBTEXT "$(ArchiveSubheader)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(ArchiveTop)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(ArchiveDestination)"
!define MUI_DIRECTORYPAGE_VARIABLE $ArchiveParent
!define MUI_DIRECTORYPAGE_VERIFYONLEAVE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ArchivePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Russian"

LangString ArchiveHeader ${LANG_ENGLISH} "Archive folder"
LangString ArchiveHeader ${LANG_RUSSIAN} "Папка архива"
LangString ArchiveSubheader ${LANG_ENGLISH} "Where the viewer finds the measurement archive."
LangString ArchiveSubheader ${LANG_RUSSIAN} "Где программа находит архив измерений."
LangString ArchiveTop ${LANG_ENGLISH} "Choose the folder that holds the plant's $\"archive$\" folder (for example \\server\share or D:\Plant). The viewer starts there and shows the archive folder inside it."
LangString ArchiveTop ${LANG_RUSSIAN} "Выберите папку, в которой лежит папка $\"archive$\" (например, \\server\share или D:\Plant). Программа запускается в ней и показывает архив из папки archive."
LangString ArchiveDestination ${LANG_ENGLISH} "Folder holding $\"archive$\""
LangString ArchiveDestination ${LANG_RUSSIAN} "Папка, содержащая $\"archive$\""
LangString NoArchive ${LANG_ENGLISH} "There is no $\"archive$\" folder in$\n$ArchiveParent$\n$\nUse this folder anyway?"
LangString NoArchive ${LANG_RUSSIAN} "В папке$\n$ArchiveParent$\nнет папки $\"archive$\".$\n$\nВсё равно использовать её?"

Function .onInit
    ${IfNot} ${RunningX64}
        MessageBox MB_ICONSTOP "This program needs 64-bit Windows." /SD IDOK
        Abort
    ${EndIf}
    SetRegView 64
    !insertmacro MULTIUSER_INIT
    ; /ARCHIVEDIR=FOLDER on the command line (the silent install's answer to the archive page).
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/ARCHIVEDIR=" $ArchiveParent
    ${If} ${Errors}
    ${OrIf} $ArchiveParent == ""
        StrCpy $ArchiveParent "$DOCUMENTS"
    ${EndIf}
FunctionEnd

Function un.onInit
    SetRegView 64
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

; A folder without an archive\ in it is allowed (the archive may not exist yet, the share may be
; offline), but the operator is told.
Function ArchivePageLeave
    ${IfNot} ${FileExists} "$ArchiveParent\archive\*.*"
        MessageBox MB_YESNO|MB_ICONQUESTION "$(NoArchive)" /SD IDYES IDYES +2
        Abort
    ${EndIf}
FunctionEnd

Section "Install"
    SetOutPath "$INSTDIR"
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; The shortcut's working directory is the folder holding archive\: SetOutPath sets it.
    SetOutPath "$ArchiveParent"
    CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\steel-viewer.exe" "" "$INSTDIR\steel-viewer.exe" 0
    SetOutPath "$INSTDIR"

    WriteRegStr SHCTX "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Velmora"
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
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegKey SHCTX "${SETTINGS_KEY}"
    DeleteRegKey /ifempty SHCTX "Software\Velmora"
    ; The index lives in the user's own local application data, whichever way the program was installed.
    SetShellVarContext current
    RMDir /r "$LOCALAPPDATA\steel-archive"
SectionEnd
