; An Inno Setup installer that registers itself for uninstalling under a
; fixed AppId (the Uninstall subkey {AppId}_is1, in the 32-bit view), at the
; version given with /DVERSION=x.y.
#ifndef VERSION
#define VERSION "2.0"
#endif
[Setup]
AppId={{6E0B1C55-3F7A-4C1E-9B0D-2A4C6E8F1A01}
AppName=Quill Probe Inno
AppVersion={#VERSION}
AppPublisher=Tovrin
DefaultDirName={src}\installed\ProbeInno
PrivilegesRequired=admin
Uninstallable=yes
DisableProgramGroupPage=yes
DisableDirPage=yes
VersionInfoProductName=Quill Probe Inno
VersionInfoVersion={#VERSION}

[Files]
Source: "probe.txt"; DestDir: "{app}"; DestName: "readme.txt"
