; A 64-bit installer that installs one file silently with /S; without
; version information when NO_VERSION is defined.
Unicode true
Target amd64-unicode
Name "QuickZip"
OutFile "${OUT}"
RequestExecutionLevel user
InstallDir "$EXEDIR\installed\QuickZip"
!ifndef NO_VERSION
VIProductVersion "2.1.0.0"
VIAddVersionKey "ProductName" "极速压缩"
VIAddVersionKey "FileDescription" "小巧快速的压缩工具"
VIAddVersionKey "FileVersion" "2.1.0"
VIAddVersionKey "LegalCopyright" "Tovrin"
!endif
Section
  SetOutPath "$INSTDIR"
  File "/oname=readme.txt" "${PAYLOAD}"
SectionEnd
