#!/usr/bin/env bash
# Links planted where copies go, for the shell_tests_links entry: a file
# link and a folder link, made the way anyone who can write a folder makes
# them.
#   link_fixture.sh add <folder>
#   link_fixture.sh remove <folder>
set -euo pipefail
case "${1:-}" in
add)
    rm -rf "$2"
    mkdir -p "$2/save" "$2/elsewhere/sub"
    printf 'victim' >"$2/victim.txt"
    ln -s ../victim.txt "$2/save/tool.exe"
    ln -s elsewhere "$2/linked"
    ;;
remove)
    rm -rf "$2"
    ;;
*)
    echo "usage: $0 add|remove <folder>" >&2
    exit 2
    ;;
esac
