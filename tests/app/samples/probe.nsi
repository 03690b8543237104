; A 64-bit NSIS installer that writes its own Uninstall entry into the
; 64-bit registry view, at the version given with -DVERSION=x.y.
Unicode true
Target amd64-unicode
Name "Quill Probe NSIS"
OutFile "${OUT}"
RequestExecutionLevel admin
InstallDir "$EXEDIR\installed\ProbeNsis"
!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillProbeNsis"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Quill Probe NSIS"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Quill Probe NSIS"
VIAddVersionKey "LegalCopyright" "Tovrin"
Section
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "/oname=readme.txt" "${PAYLOAD}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "Quill Probe NSIS ${VERSION}"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd
Section "Uninstall"
  SetRegView 64
  DeleteRegKey HKLM "${KEY}"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
