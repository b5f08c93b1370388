; The Windows installer of both programs, built by scripts/package:
;   makensis -DVERSION=1.0.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> installer.nsi
; STAGE holds what the zip holds: Ventrel.exe, Palvio.exe, README.md, LICENSE and docs/.
; Installs to Program Files (which is what needs the administrator), adds Start-menu shortcuts
; and an uninstaller. The settings file Ventrel.ini belongs to the user and is left alone.

Unicode true
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef STAGE
  !error "STAGE must be defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined"
!endif

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nimbrel"

Name "Ventrel and Palvio ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Nimbrel"
RequestExecutionLevel admin

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Ventrel and Palvio"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Ventrel and Palvio setup"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 the Ventrel and Palvio developers"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${STAGE}/LICENSE"

Section "Programs"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Ventrel.exe"
  File "${STAGE}/Palvio.exe"
  File "${STAGE}/README.md"
  File "${STAGE}/LICENSE"
  File /nonfatal /r "${STAGE}/docs"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Ventrel and Palvio"
  CreateShortcut "$SMPROGRAMS\Ventrel and Palvio\Ventrel.lnk" "$INSTDIR\Ventrel.exe"
  CreateShortcut "$SMPROGRAMS\Ventrel and Palvio\Palvio.lnk" "$INSTDIR\Palvio.exe"
  CreateShortcut "$SMPROGRAMS\Ventrel and Palvio\Uninstall.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${KEY}" "DisplayName" "Ventrel and Palvio"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "the Ventrel and Palvio developers"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\Ventrel.exe"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\Ventrel.exe"
  Delete "$INSTDIR\Palvio.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  RMDir /r "$INSTDIR\docs"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\Ventrel and Palvio\Ventrel.lnk"
  Delete "$SMPROGRAMS\Ventrel and Palvio\Palvio.lnk"
  Delete "$SMPROGRAMS\Ventrel and Palvio\Uninstall.lnk"
  RMDir "$SMPROGRAMS\Ventrel and Palvio"

  DeleteRegKey HKLM "${KEY}"
SectionEnd
