#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the tests under Wine on a
# virtual X display: every test on the x64 build, then those of both builds
# (start-up, main window with its row actions, shell, batch and scanner;
# ctest label both_builds) on the x86 build, the one that goes on a disc.
# With QUILLSET_ARCH set, every test on that build alone. Extra arguments go
# to ctest (for example -R shell).
set -euo pipefail
chosen="${QUILLSET_ARCH:-}"
source "$(dirname "$0")/wine-env.sh"
source "$(dirname "$0")/xvfb.sh"

if [ -n "$chosen" ]; then
    runs=("$chosen:")
else
    runs=("x64:" "x86:both_builds")
fi
for run in "${runs[@]}"; do
    arch="${run%%:*}"
    label="${run#*:}"
    targets="${QUILLSET_TARGETS:-}"
    [ -n "$label" ] && targets="${label}_tests"
    QUILLSET_ARCH="$arch" QUILLSET_TARGETS="$targets" "$QUILLSET_ROOT/tools/build.sh"
done
quill_wine_prefix
# One Wine server, its services and the virtual desktop for the whole run.
quill_headless_session

status=0
for run in "${runs[@]}"; do
    arch="${run%%:*}"
    label="${run#*:}"
    echo "== tests of the $arch build${label:+ (label $label)}"
    filter=()
    [ -n "$label" ] && filter=(-L "$label")
    (cd "$(quill_build_dir "$arch")" && ctest --output-on-failure "${filter[@]}" "$@") || status=1
done
exit "$status"
