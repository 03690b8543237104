#!/usr/bin/env bash
# Sets up what is missing and builds Quillset.exe, the test programs and the
# demo disc into the build folder of one architecture.
#   QUILLSET_ARCH       x86 (default) or x64
#   QUILLSET_BUILD_DIR  where the build folders go (see wine-env.sh)
#   QUILLSET_TARGETS    build only these targets (blank-separated; default all)
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
root="$QUILLSET_ROOT"
build="$QUILLSET_BUILD"

"$root/tools/setup.sh"
case "$QUILLSET_ARCH" in
x86) toolchain=mingw-w64-i686.cmake ;;
x64) toolchain=mingw-w64-x86_64.cmake ;;
esac
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DISCC_EXE="$QUILLSET_NPM/node_modules/innosetup/bin/ISCC.exe" >/dev/null
targets=()
for t in ${QUILLSET_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
