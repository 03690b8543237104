#!/usr/bin/env bash
# The drive R: of the scan_tests_root_drive entry: a folder of the build
# presented as a disc in a CD-ROM drive, whose root the builder scans.
#   root_drive.sh add <folder>
#   root_drive.sh remove
# Changing drives restarts the prefix's Wine server; afterwards the Wine
# session is started again here, as the test run started it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
case "${1:-}" in
add)
    rm -rf "$2"
    mkdir -p "$2"
    "$root/tools/cdrom.sh" add r "$2"
    ;;
remove)
    "$root/tools/cdrom.sh" remove r
    ;;
*)
    echo "usage: $0 add <folder> | remove" >&2
    exit 2
    ;;
esac
source "$root/tools/wine-env.sh"
quill_wine_session
