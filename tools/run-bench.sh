#!/usr/bin/env bash
# Sets up what is missing, builds, and runs the benchmark programs under
# Wine on a virtual X display. They print figures; nothing is asserted.
# Arguments name the benchmarks to run (default: all of them).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
source "$(dirname "$0")/xvfb.sh"
"$QUILLSET_ROOT/tools/build.sh"
quill_wine_prefix
quill_headless_session

cd "$QUILLSET_BUILD"
benches=("$@")
[ ${#benches[@]} -gt 0 ] || benches=(catalogue_bench batch_bench listex_bench startup_bench detect_bench search_bench)
for bench in "${benches[@]}"; do
    echo "== $bench"
    quill_wine "./$bench.exe"
done
