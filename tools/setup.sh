#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the
# demo need and this machine lacks, and from npm the Inno Setup compiler the
# scanner's tests build an installer with. Safe to run again: it installs
# nothing when everything is there.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

packages=(
    cmake make
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    wine wine64 wine32:i386
    xvfb xauth x11-utils xdotool imagemagick
    googletest
    fonts-wqy-microhei fonts-wine
    nsis wixl locales
    python3-minimal
)

sudo_cmd=()
need_root() {
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "setup: need root (or sudo) to $1" >&2; exit 1; }
        sudo_cmd=(sudo)
    fi
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
# npm may come with a Node.js from elsewhere than Debian.
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    need_root "install ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    # Wine's 32-bit part comes from the i386 architecture.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo_cmd[@]}" dpkg --add-architecture i386
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Inno Setup compiler (ISCC.exe, a Windows program run under Wine), at
# one version so every machine builds the same installer.
innosetup_version=6.4.1
iscc="$QUILLSET_NPM/node_modules/innosetup/bin/ISCC.exe"
if ! grep -qs "\"version\": \"$innosetup_version\"" "$QUILLSET_NPM/node_modules/innosetup/package.json" ||
    [ ! -f "$iscc" ]; then
    echo "setup: installing innosetup@$innosetup_version from npm into $QUILLSET_NPM" >&2
    mkdir -p "$QUILLSET_NPM"
    npm install --prefix "$QUILLSET_NPM" --no-audit --no-fund --no-save --ignore-scripts \
        "innosetup@$innosetup_version" >/dev/null
fi
