; Windows installer of one build (i686 or x86_64), made by makensis from
; cmake/packaging.cmake. It puts the program under Program Files, the screen
; saver where the Screen Saver Settings list finds it (System32), a Start-menu
; shortcut and an uninstaller registered in Apps & features, and on request
; makes Ringvoyage the current screen saver.
;
; makensis -DVERSION=1.0.3.1 -DARCH=x86_64|i686 -DBINDIR=<dir with the exe, scr
;          and README.txt> -DICON=<main.ico> -DOUTFILE=<setup.exe> ringvoyage.nsi
;
; Command line of the installer: /S silent, /D=<folder> install folder, /SAVER
; make Ringvoyage the current screen saver (offered and ticked when run with
; its pages, off in silent mode unless given).

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

!define PRODUCT "Ringvoyage"
!define PUBLISHER "Ringvoyage project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ringvoyage"
!define DESKTOP_KEY "Control Panel\Desktop"

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

Section "-Ringvoyage" SecProgram
  SetShellVarContext all
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

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; Give the previous screen saver back, unless the user has chosen another
  ; one since.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\Ringvoyage.scr"
    ClearErrors
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

  Delete "$SYSDIR\Ringvoyage.scr"
  Delete "$SMPROGRAMS\Ringvoyage.lnk"
  Delete "$INSTDIR\Ringvoyage.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
