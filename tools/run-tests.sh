#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine on a
# virtual X display. Extra arguments go to ctest (for example -R shell).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLSET_BUILD_DIR:-$root/.build/cmake}"

"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
quill_wine_prefix
quill_start_xvfb
# One Wine server, its services and the virtual desktop for the whole run,
# started here and not by the first test program: a process Wine starts on
# demand inherits that program's output, and ctest would wait for it.
quill_wineserver -p >/dev/null 2>&1 </dev/null
trap 'quill_wineserver -k 2>/dev/null || true; kill $QUILLSET_XVFB_PID 2>/dev/null || true' EXIT
quill_wine wineboot >/dev/null 2>&1 </dev/null
quill_wine explorer /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &
for tries in $(seq 1 100); do
    xdotool search --onlyvisible --class explorer.exe >/dev/null 2>&1 && break
    sleep 0.1
done

cd "$build"
ctest --output-on-failure "$@"
