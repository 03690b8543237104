#!/usr/bin/env bash
# Presents a folder as a CD-ROM drive of the project's Wine prefix, or takes
# the drive away again.
#   tools/cdrom.sh add <letter> <folder>
#   tools/cdrom.sh remove <letter>
# The drive manager reads drive types when Wine starts, so the Wine server is
# restarted after each change.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
quill_wine_prefix

usage() { echo "usage: $0 add <letter> <folder> | remove <letter>" >&2; exit 2; }
[ $# -ge 2 ] || usage
letter="$(echo "${2%:}" | tr 'A-Z' 'a-z')"
[[ "$letter" =~ ^[d-y]$ ]] || { echo "cdrom: drive letter must be d to y" >&2; exit 2; }
key='HKLM\Software\Wine\Drives'
case "$1" in
add)
    [ $# -eq 3 ] || usage
    folder="$(cd "$3" && pwd)"
    ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:"
    quill_wine64 reg add "$key" /v "$letter:" /t REG_SZ /d cdrom /f >/dev/null 2>&1
    ;;
remove)
    rm -f "$WINEPREFIX/dosdevices/$letter:" "$WINEPREFIX/dosdevices/$letter::"
    quill_wine64 reg delete "$key" /v "$letter:" /f >/dev/null 2>&1 || true
    ;;
*) usage ;;
esac
quill_wineserver -k 2>/dev/null || true
quill_wineserver -w
