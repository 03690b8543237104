#!/usr/bin/env bash
# Sets up what is missing and builds Quillset.exe, the test programs and the
# demo disc into the build folder.
#   QUILLSET_BUILD_DIR  the build folder (default: .build/cmake in the tree)
#   QUILLSET_TARGETS    build only these targets (blank-separated; default all)
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
root="$QUILLSET_ROOT"
build="$QUILLSET_BUILD"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
for t in ${QUILLSET_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
