#!/usr/bin/env bash
# Drive R: of the scan_tests_root_drive entry, a folder presented as a disc:
#   root_drive.sh add <folder> | remove
# Changing drives restarts the Wine server; the session is started again.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
if [ "${1:-}" = add ]; then
    rm -rf "$2" && mkdir -p "$2"
    "$root/tools/cdrom.sh" add r "$2"
else
    "$root/tools/cdrom.sh" remove r
fi
source "$root/tools/wine-env.sh"
quill_wine_session
