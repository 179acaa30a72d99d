; Velmaris' installer for Windows x86-64, built by tools/windows/build.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1 -DFILES=installed-files.nsh -DOUTFILE=velmaris-setup-0.1.exe installer.nsi
; FILES holds two macros written from the staged folder: the files to install and, in the same list,
; the files the uninstaller removes, so that it removes exactly what was installed and nothing else.
;
; Per user unless told otherwise: a cadet without administrator rights installs into
; %LOCALAPPDATA%\Programs\Velmaris, registered under HKCU, and Windows asks nothing. Run elevated, or with
; /AllUsers, it installs for every user under Program Files, registered under HKLM. /S installs and
; uninstalls silently; /CurrentUser keeps an elevated run per user; /Desktop adds the desktop shortcut
; to a silent install. The user's own copy of the bank (%APPDATA%\Velmaris) survives upgrades and
; uninstalls; only the cadet, ticking "șterge și datele mele" in the uninstaller's window, removes it.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaris"

; Asks Windows for no rights: an elevated start (Run as administrator, a deployment script) is what
; selects the all-users install.
!define MULTIUSER_EXECUTIONLEVEL Standard
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Velmaris"
; An upgrade goes into the folder the earlier version was installed in.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE \
  "Pentru a instala Velmaris pentru toți utilizatorii acestui calculator, porniți instalarea ca administrator."
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "${FILES}"

Name "Velmaris"
OutFile "${OUTFILE}"
BrandingText "Velmaris ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=0 "ProductName" "Velmaris"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Velmaris - instalare"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmaris.exe"
; The finish page's second box is the desktop shortcut, off unless the cadet ticks it.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Creează o scurtătură pe desktop"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION DesktopShortcut
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Romanian"

Var Arguments

; /AllUsers from a start without administrator rights: said in Romanian (and only through the exit code
; in a silent run, where no box may wait for a click), before MultiUser's own English box.
!macro RefuseAllUsersWithoutRights
  ${GetParameters} $Arguments
  ClearErrors
  ${GetOptions} $Arguments "/AllUsers" $R1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $R2
    ${If} $R2 != "Admin"
    ${AndIf} $R2 != "Power"
      MessageBox MB_OK|MB_ICONSTOP "${MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE}" /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseAllUsersWithoutRights
  !insertmacro MULTIUSER_INIT
  ; An elevated start installs for all users unless told /CurrentUser, or unless this user has a
  ; per-user install and there is no all-users one: that one is upgraded, so that one entry remains.
  ${If} $MultiUser.Privileges == "Admin"
  ${OrIf} $MultiUser.Privileges == "Power"
    ClearErrors
    ${GetOptions} $Arguments "/CurrentUser" $R1
    ${If} ${Errors}
      ReadRegStr $R3 HKCU "${UNINSTALL_KEY}" "InstallLocation"
      ReadRegStr $R4 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      ${If} $R3 == ""
      ${OrIf} $R4 != ""
        Call MultiUser.InstallMode.AllUsers
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function DesktopShortcut
  CreateShortcut "$DESKTOP\Velmaris.lnk" "$INSTDIR\Velmaris.exe"
FunctionEnd

Section "Velmaris"
  ; An upgrade replaces the read-only bank of the earlier version, which Windows would refuse to
  ; overwrite (wine, run as root, does not: the install test cannot show it).
  SetFileAttributes "$INSTDIR\Velmaris.mdb" NORMAL
  !insertmacro VelmarisInstallFiles
  ; The bank in the install folder is the pristine one: it stays read-only, so that the program keeps
  ; the user's edits in a copy of their own, even in a per-user install the user could write.
  SetFileAttributes "$INSTDIR\Velmaris.mdb" READONLY

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Velmaris.lnk" "$INSTDIR\Velmaris.exe"
  ClearErrors
  ${GetOptions} $Arguments "/Desktop" $R1
  ${IfNot} ${Errors}
    Call DesktopShortcut
  ${EndIf}

  ; SHCTX is HKCU for a per-user install and HKLM for an all-users one. The uninstaller is told which.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Velmaris"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmaris.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Var UninstallerFolder
; The data of the user who uninstalls, whichever install this is.
Var UserData

Function un.onInit
  !insertmacro RefuseAllUsersWithoutRights
  StrCpy $UninstallerFolder $INSTDIR
  !insertmacro MULTIUSER_UNINIT
  SetShellVarContext current
  StrCpy $UserData "$APPDATA\Velmaris"
  ; The uninstaller removes the install it sits in, whatever its command line says: an all-users one
  ; only with administrator rights.
  ReadRegStr $R3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R3 == $UninstallerFolder
    ${If} $MultiUser.Privileges != "Admin"
    ${AndIf} $MultiUser.Privileges != "Power"
      MessageBox MB_OK|MB_ICONSTOP \
        "Velmaris este instalat pentru toți utilizatorii acestui calculator: dezinstalați-l ca administrator." \
        /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    Call un.MultiUser.InstallMode.AllUsers
  ${Else}
    Call un.MultiUser.InstallMode.CurrentUser
  ${EndIf}
  StrCpy $INSTDIR $UninstallerFolder
FunctionEnd

Section "un.Velmaris" UninstallProgram
  SectionIn RO
  Delete "$SMPROGRAMS\Velmaris.lnk"
  Delete "$DESKTOP\Velmaris.lnk"
  !insertmacro VelmarisUninstallFiles
  ; What SQLite may leave beside a bank that was opened for writing.
  Delete "$INSTDIR\Velmaris.mdb-journal"
  Delete "$INSTDIR\Velmaris.mdb-wal"
  Delete "$INSTDIR\Velmaris.mdb-shm"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

; The user's copy of the bank, its kept older versions and their locks: only when the cadet ticks it,
; never in a silent run (a school's script must not erase a cadet's corrections and results).
Section /o "un.șterge și datele mele" UninstallUserData
  ${IfNot} ${Silent}
    RMDir /r "$UserData"
  ${EndIf}
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallProgram} "Programul, din $INSTDIR."
  !insertmacro MUI_DESCRIPTION_TEXT ${UninstallUserData} \
    "Copia dumneavoastră a băncii de întrebări, cu corecturile și testul neterminat din ea, și copiile ei mai vechi, din $UserData."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END
