#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test under Wine on a
# virtual X display. Extra arguments go to ctest (for example -R shell).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
source "$(dirname "$0")/xvfb.sh"
"$QUILLSET_ROOT/tools/build.sh"
quill_wine_prefix
# One Wine server, its services and the virtual desktop for the whole run.
quill_headless_session

cd "$QUILLSET_BUILD"
ctest --output-on-failure "$@"
