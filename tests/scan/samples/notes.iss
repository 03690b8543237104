; An Inno Setup installer that installs one file beside itself, unattended
; with the switches the scanner writes.
[Setup]
AppName=Quill Notes
AppVersion=1.2.3
AppPublisher=Tovrin
DefaultDirName={src}\installed\QuillNotes
PrivilegesRequired=lowest
Uninstallable=no
DisableProgramGroupPage=yes
DisableDirPage=yes
VersionInfoProductName=速记本
VersionInfoDescription=随手记下想法的小工具
VersionInfoVersion=1.2.3.0

[Files]
Source: "payload.txt"; DestDir: "{app}"; DestName: "readme.txt"
