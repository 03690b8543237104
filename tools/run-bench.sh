#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the benchmark programs under
# Wine on a virtual X display. They print figures; nothing is asserted.
# Arguments name the benchmarks to run (default: all of them).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QUILLSET_BUILD_DIR:-$root/.build/cmake}"

"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
source "$root/tools/xvfb.sh"
quill_wine_prefix
quill_start_xvfb
trap 'quill_wineserver -k 2>/dev/null || true; kill $QUILLSET_XVFB_PID 2>/dev/null || true' EXIT
quill_wine_session

cd "$build"
benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(catalogue_bench batch_bench listex_bench)
for bench in "${benches[@]}"; do
    echo "== $bench"
    quill_wine "./$bench.exe"
done
