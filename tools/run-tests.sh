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
# One Wine server, its services and the virtual desktop for the whole run.
trap 'quill_wineserver -k 2>/dev/null || true; kill $QUILLSET_XVFB_PID 2>/dev/null || true' EXIT
quill_wine_session

cd "$build"
ctest --output-on-failure "$@"
