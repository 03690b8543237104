#!/usr/bin/env bash
# The CD-ROM drives of the shell_tests_cdrom entry.
#   cdrom_drives.sh add <folder for E:> <folder for G:>
#   cdrom_drives.sh remove
# Changing drives restarts the prefix's Wine server; afterwards the Wine
# session is started again here, as the test run started it.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
case "${1:-}" in
add)
    rm -rf "$2" "$3"
    mkdir -p "$2" "$3"
    "$root/tools/cdrom.sh" add e "$2"
    "$root/tools/cdrom.sh" add g "$3"
    ;;
remove)
    "$root/tools/cdrom.sh" remove e
    "$root/tools/cdrom.sh" remove g
    ;;
*)
    echo "usage: $0 add <folder E> <folder G> | remove" >&2
    exit 2
    ;;
esac
source "$root/tools/wine-env.sh"
quill_wine_session
