; The Windows installer: per user, no administrator rights. Installs the
; program and its help book, a Start menu entry and an uninstaller.
; makensis -DSOURCE=<folder with Orlavo.exe, Orlavo.HLP, orlavo-help>
;          -DOUTFILE=<installer> orlavo.nsi
; A 64-bit installer for the 64-bit program: it runs wherever the program does.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Orlavo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orlavo"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "Software\${PRODUCT}" "InstallDir"
Icon "${SOURCE}\orlavo.ico"
UninstallIcon "${SOURCE}\orlavo.ico"
VIProductVersion "1.0.0.1"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "Pellworth Inc."
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=0 "FileVersion" "1.0.0.1"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2002 Pellworth Inc."

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Orlavo.exe"
  File "${SOURCE}\Orlavo.HLP"
  SetOutPath "$INSTDIR\orlavo-help"
  File "${SOURCE}\orlavo-help\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Orlavo.exe"
  WriteRegStr HKCU "Software\${PRODUCT}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "1.0.0.1"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pellworth Inc."
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orlavo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The settings file in %APPDATA%\Orlavo is the user's and stays.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  RMDir /r "$INSTDIR\orlavo-help"
  Delete "$INSTDIR\Orlavo.exe"
  Delete "$INSTDIR\Orlavo.HLP"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; Created for this program when it was the first; removed only when empty.
  RMDir "$LOCALAPPDATA\Programs"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\${PRODUCT}"
SectionEnd
