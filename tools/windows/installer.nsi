; Velmaris' installer for Windows x86-64, built by tools/windows/build.sh:
;   makensis -DVERSION=0.1 -DFILES=installed-files.nsh -DOUTFILE=velmaris-setup-0.1.exe installer.nsi
; FILES holds two macros written from the staged folder: the files to install and, in the same list,
; the files the uninstaller removes, so that it removes exactly what was installed and nothing else
; (the user's own bank copy under %APPDATA% stays).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaris"

Name "Velmaris"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmaris"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velmaris ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "Velmaris"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Velmaris - instalare"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmaris.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Romanian"

Section "Velmaris"
  SetShellVarContext all
  !insertmacro VelmarisInstallFiles
  ; The bank in the install folder is the pristine one; the program keeps the user's edits in a copy
  ; of their own.
  SetFileAttributes "$INSTDIR\Velmaris.mdb" READONLY

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Velmaris.lnk" "$INSTDIR\Velmaris.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmaris"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmaris.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Velmaris.lnk"
  !insertmacro VelmarisUninstallFiles
  ; What SQLite may leave beside a bank that was opened for writing.
  Delete "$INSTDIR\Velmaris.mdb-journal"
  Delete "$INSTDIR\Velmaris.mdb-wal"
  Delete "$INSTDIR\Velmaris.mdb-shm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
