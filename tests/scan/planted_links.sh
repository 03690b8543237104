#!/usr/bin/env bash
# Links planted where the builder writes, all to <folder>/elsewhere (Wine
# here makes no links itself): linked-ini/Quillset.INI and
# linked-icon/icons/setup.ico to victim.txt, linked-icons/icons to the folder.
set -euo pipefail
rm -rf "$1"
mkdir -p "$1/elsewhere" "$1/linked-ini" "$1/linked-icon/icons" "$1/linked-icons"
echo "not for the builder" > "$1/elsewhere/victim.txt"
ln -s "$1/elsewhere/victim.txt" "$1/linked-ini/Quillset.INI"
ln -s "$1/elsewhere/victim.txt" "$1/linked-icon/icons/setup.ico"
ln -s "$1/elsewhere" "$1/linked-icons/icons"
