; Windows installer of one build (i686 or x86_64), made by makensis from
; cmake/packaging.cmake. It puts the program under Program Files, the screen
; saver where the Screen Saver Settings list finds it (System32), a Start-menu
; shortcut and an uninstaller registered in Apps & features, and on request
; makes Ringvoyage the current screen saver.
;
; makensis -DVERSION=<project version> -DARCH=x86_64|i686 -DBINDIR=<dir with the exe, scr
;          and README.txt> -DICON=<main.ico> -DOUTFILE=<setup.exe> ringvoyage.nsi
;
; Command line of the installer: /S silent, /D=<folder> install folder, /SAVER
; make Ringvoyage the current screen saver (offered and ticked when run with
; its pages, off in silent mode unless given). An installation elsewhere is
; replaced, not joined by a second one. The uninstaller acts only as the one
; of the installation the registry records; with _?=<its folder> it runs in
; place and its exit code is 0 only when everything was removed.

Unicode true
!if "${ARCH}" == "x86_64"
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Ringvoyage"
!else
  InstallDir "$PROGRAMFILES\Ringvoyage"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "x64.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Ringvoyage"
!define PUBLISHER "Ringvoyage project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ringvoyage"
!define DESKTOP_KEY "Control Panel\Desktop"
; Window classes of the running program and of the full-screen saver.
!define PROGRAM_CLASS " Ringvoyage"
!define SAVER_CLASS " Ringvoyage screen saver"

Var Kept  ; 1 once a file could not be removed

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "Ringvoyage ${VERSION}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Ringvoyage.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The same for the installer and the uninstaller (un.).
!macro SHARED_FUNCTIONS UN
; A running Ringvoyage holds its files: it is asked to close (after a
; question on the pages) and waited for, at most 10 s.
Function ${UN}closeRunning
  FindWindow $0 "${PROGRAM_CLASS}"
  FindWindow $1 "${SAVER_CLASS}"
  ${If} $0 == 0
  ${AndIf} $1 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Ringvoyage is running. OK closes it." /SD IDOK IDOK close
  SetErrorLevel 1
  Quit
close:
  StrCpy $2 0
  ${Do}
    FindWindow $0 "${PROGRAM_CLASS}"
    FindWindow $1 "${SAVER_CLASS}"
    ${If} $0 == 0
    ${AndIf} $1 == 0
      ${Break}
    ${EndIf}
    ${If} $0 != 0
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=1000
    ${EndIf}
    ${If} $1 != 0
      SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=1000
    ${EndIf}
    Sleep 100
    IntOp $2 $2 + 1
  ${LoopUntil} $2 >= 100
FunctionEnd

; Deletes a file this installer wrote (path on the stack). A program that
; has just closed may hold its file a moment longer, so it retries for 5 s;
; a file that stays sets $Kept.
Function ${UN}removeFile
  Exch $0
  Push $1
  StrCpy $1 0
  ${Do}
    Delete "$0"
    ${IfNot} ${FileExists} "$0"
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= 20
      DetailPrint "Could not remove $0"
      StrCpy $Kept 1
      ${Break}
    ${EndIf}
    Sleep 250
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; An installation in another folder is replaced: its files go as its
; uninstaller would remove them, the program first, so that a program that
; cannot be removed stops the installation before anything else changes.
Function removeOtherInstallation
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $3 == ""
  ${OrIf} $3 == $INSTDIR
    Return
  ${EndIf}
  StrCpy $Kept 0
  Push "$3\Ringvoyage.exe"
  Call removeFile
  ${If} $Kept != 0
    MessageBox MB_ICONSTOP "The Ringvoyage installed in $3 could not be replaced: its program is in use." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  Delete "$3\README.txt"
  Delete "$3\Uninstall.exe"
  RMDir "$3"
FunctionEnd

Section "-Ringvoyage" SecProgram
  SetShellVarContext all
  Call closeRunning
  Call removeOtherInstallation
  SetOutPath "$INSTDIR"
  File "${BINDIR}\Ringvoyage.exe"
  File "${BINDIR}\README.txt"
  ; Screen savers are listed from the system folder.
  SetOutPath "$SYSDIR"
  File "${BINDIR}\Ringvoyage.scr"
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\Ringvoyage.lnk" "$INSTDIR\Ringvoyage.exe" "" "$INSTDIR\Ringvoyage.exe" 0
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ringvoyage.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The previous screen saver is kept in the uninstall key, so that
; uninstalling gives it back.
Section /o "Use as screen saver" SecCurrentSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  ; Installing again must not record Ringvoyage as its own predecessor.
  ${If} $0 != "$SYSDIR\Ringvoyage.scr"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousScreenSaver" "$0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousScreenSaveActive" "$1"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\Ringvoyage.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

LangString DESC_SecCurrentSaver ${LANG_ENGLISH} "Make Ringvoyage the current screen saver."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecCurrentSaver} $(DESC_SecCurrentSaver)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
!if "${ARCH}" != "x86_64"
  ; The 64-bit Windows screen-saver list does not show 32-bit savers.
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "This is the installer for 32-bit Windows. On 64-bit Windows, use Ringvoyage-${VERSION}-x86_64-setup.exe." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!endif
  ; Offered and ticked on the pages; in silent mode only with /SAVER.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SAVER" $1
  ${IfNot} ${Errors}
  ${OrIfNot} ${Silent}
    !insertmacro SelectSection ${SecCurrentSaver}
  ${EndIf}
FunctionEnd

; Only the uninstaller of the installation the registry records acts: a copy
; elsewhere would otherwise delete same-named files it never wrote.
Function un.onInit
  SetShellVarContext all
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 != $INSTDIR
    MessageBox MB_ICONSTOP "This is not the uninstaller of the installed Ringvoyage; it removes nothing." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

; Removes the files the installer wrote, never the folder's other contents.
; If one stays, the Apps & features entry and the uninstaller stay too, and
; the exit code is 2.
Section "Uninstall"
  SetShellVarContext all
  Call un.closeRunning
  StrCpy $Kept 0
  Push "$INSTDIR\Ringvoyage.exe"
  Call un.removeFile
  Push "$SYSDIR\Ringvoyage.scr"
  Call un.removeFile
  Push "$INSTDIR\README.txt"
  Call un.removeFile
  Push "$SMPROGRAMS\Ringvoyage.lnk"
  Call un.removeFile

  ; Give the previous screen saver back once Ringvoyage's is gone, unless
  ; the user has chosen another one since.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\Ringvoyage.scr"
  ${AndIfNot} ${FileExists} "$SYSDIR\Ringvoyage.scr"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ReadRegStr $2 HKLM "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
    ${EndIf}
    ${If} $2 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "$2"
    ${EndIf}
  ${EndIf}

  ${If} $Kept != 0
    MessageBox MB_ICONEXCLAMATION "Some of Ringvoyage could not be removed: a program still uses it. Close it and uninstall again." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ; Running in place (_?=), the uninstaller cannot remove itself, and the
  ; folder stays for the caller.
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
