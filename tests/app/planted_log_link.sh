#!/usr/bin/env bash
# A log file planted as a link to another file, in <folder> (Wine here makes
# no links itself): linked.log to victim.txt.
set -euo pipefail
rm -rf "$1"
mkdir -p "$1"
echo "not for the log" > "$1/victim.txt"
ln -s "$1/victim.txt" "$1/linked.log"
