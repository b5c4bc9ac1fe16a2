; Skyloom's installer: makensis -DBUILD_DIR=<build-windows> -DOUTFILE=<setup.exe>
; with the file lists cmake/windows writes into BUILD_DIR. A 64-bit
; installer, so $SYSDIR is the 64-bit system folder the 64-bit saver
; belongs in, and the registry is the 64-bit view.
Unicode true
Target amd64-unicode
!include MUI2.nsh

!define VERSION "3.3"
!define SETTINGS_KEY "Software\Quillmere\Skyloom"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyloom"
!define DESKTOP_KEY "Control Panel\Desktop"
!define MENU_FOLDER "$SMPROGRAMS\Skyloom"

Name "Skyloom ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Skyloom"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "3.3.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Skyloom"
VIAddVersionKey /LANG=1033 "CompanyName" "Quillmere"
VIAddVersionKey /LANG=1033 "FileDescription" "Skyloom ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Quillmere"

!define MUI_ICON "${BUILD_DIR}/skyloom.ico"
!define MUI_UNICON "${BUILD_DIR}/skyloom.ico"
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Make Skyloom my screen saver"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION MakeCurrentScreenSaver
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include "${BUILD_DIR}/installed_files.nsh"

; Start-menu entries for every user, as the files are.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; Offered on the finish page only, which a silent run never shows.
Function MakeCurrentScreenSaver
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\Skyloom.scr"
FunctionEnd

Section "Skyloom"
  SetOutPath "$SYSDIR"
  File "${BUILD_DIR}/Skyloom.scr"
  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/skyloom-configure.exe"
  File "${BUILD_DIR}/skyloom-weblink.exe"
  !insertmacro InstallDataFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${SETTINGS_KEY}" "AppDir" "$INSTDIR"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Skyloom Settings.lnk" "$INSTDIR\skyloom-configure.exe"
  CreateShortcut "${MENU_FOLDER}\Skyloom Home Page.lnk" "$INSTDIR\skyloom-weblink.exe" "-homepage"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Skyloom"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillmere"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\Skyloom.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "-un.Skyloom"
  Delete "$SYSDIR\Skyloom.scr"
  Delete "$INSTDIR\skyloom-configure.exe"
  Delete "$INSTDIR\skyloom-weblink.exe"
  !insertmacro RemoveDataFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${MENU_FOLDER}\Skyloom Settings.lnk"
  Delete "${MENU_FOLDER}\Skyloom Home Page.lnk"
  RMDir "${MENU_FOLDER}"

  ; The screen saver setting only where it still names this saver.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCmp $0 "$SYSDIR\Skyloom.scr" 0 +2
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  DeleteRegValue HKCU "${SETTINGS_KEY}" "AppDir"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Off unless chosen, and never in a silent run.
Section /o "un.Remove my Skyloom settings"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quillmere"
SectionEnd
