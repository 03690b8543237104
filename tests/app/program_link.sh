#!/usr/bin/env bash
# A shared folder that is a link to where the program really lies, in
# <folder> (Wine here makes no links itself): installers links to real.
set -euo pipefail
rm -rf "$1"
mkdir -p "$1/real"
ln -s real "$1/installers"
