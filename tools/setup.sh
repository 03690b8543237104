#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the
# demo need and this machine lacks. Safe to run again: it installs nothing
# when everything is there.
set -euo pipefail

packages=(
    cmake make
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
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

