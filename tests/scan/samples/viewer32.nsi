; A 32-bit installer without version information: named after its file.
Unicode true
Name "Viewer"
OutFile "${OUT}"
RequestExecutionLevel user
InstallDir "$EXEDIR\installed\Viewer"
Section
  SetOutPath "$INSTDIR"
  File "/oname=readme.txt" "${PAYLOAD}"
SectionEnd
