#!/usr/bin/env bash
# Folders with links planted where the builder writes, for the scan_tests
# entry (Wine here cannot make links itself):
#   <folder>/elsewhere/victim.txt      a file the links point at
#   <folder>/linked-ini/Quillset.INI   a link to victim.txt
#   <folder>/linked-icon/icons/setup.ico  a link to victim.txt
#   <folder>/linked-icons/icons        a link to elsewhere/
#   planted_links.sh <folder>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
rm -rf "$1"
mkdir -p "$1/elsewhere" "$1/linked-ini" "$1/linked-icon/icons" "$1/linked-icons"
echo "not for the builder" > "$1/elsewhere/victim.txt"
ln -s "$1/elsewhere/victim.txt" "$1/linked-ini/Quillset.INI"
ln -s "$1/elsewhere/victim.txt" "$1/linked-icon/icons/setup.ico"
ln -s "$1/elsewhere" "$1/linked-icons/icons"
