; A 32-bit installer without version information: named after its file.
; Its icon holds images of several sizes.
Unicode true
Name "Viewer"
Icon "${ICON}"
OutFile "${OUT}"
RequestExecutionLevel user
InstallDir "$EXEDIR\installed\Viewer"
Section
  SetOutPath "$INSTDIR"
  File "/oname=readme.txt" "${PAYLOAD}"
SectionEnd
