; A 64-bit installer that installs one file silently with /S.
Unicode true
Target amd64-unicode
Name "QuickZip"
OutFile "${OUT}"
RequestExecutionLevel user
InstallDir "$EXEDIR\installed\QuickZip"
VIProductVersion "2.1.0.0"
VIAddVersionKey "ProductName" "极速压缩"
VIAddVersionKey "FileDescription" "小巧快速的压缩工具"
VIAddVersionKey "FileVersion" "2.1.0"
VIAddVersionKey "LegalCopyright" "Tovrin"
Section
  SetOutPath "$INSTDIR"
  File "/oname=readme.txt" "${PAYLOAD}"
SectionEnd
