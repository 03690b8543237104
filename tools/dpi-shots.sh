#!/usr/bin/env bash
# Screenshots of the main window on the demo disc at several screen scales,
# each in a Wine prefix of its own whose LogPixels is that DPI (Wine gives a
# prefix one DPI for every program in it), on a virtual display and a
# virtual desktop large enough for the scaled window.
#   tools/dpi-shots.sh [dpi...]      default: 96 144 192
# Prints the path of each PNG. QUILLSET_ARCH chooses the build as elsewhere.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144 192)
base="${QUILLSET_WINEPREFIX:-$root/.build/wineprefix}"

shoot() {
    local dpi="$1"
    QUILLSET_WINEPREFIX="$base-dpi$dpi"
    source "$root/tools/wine-env.sh"
    quill_wine_prefix
    quill_wine64 reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    quill_wine64 reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    quill_wineserver -w 2>/dev/null || true
    local n
    for n in $(seq "${QUILLSET_DISPLAY_BASE:-91}" $((${QUILLSET_DISPLAY_BASE:-91} + 108))); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        break
    done
    Xvfb ":$n" -screen 0 2200x1500x24 -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' RETURN
    local tries
    for tries in $(seq 1 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.05
    done
    export DISPLAY=":$n"
    cd "$QUILLSET_BUILD/demo-disc"
    quill_wine explorer /desktop=Quillset,2100x1400 Quillset.exe >/dev/null 2>&1 &
    # The desktop stands at the display's origin; the window is what the
    # desktop's even colour leaves when trimmed away.
    local shot="$QUILLSET_BUILD/dpi-$dpi.png" size=0
    for tries in $(seq 1 300); do
        import -window root -crop 2100x1400+0+0 +repage "$shot.full.png" 2>/dev/null || true
        size="$(convert "$shot.full.png" -trim -format '%w' info: 2>/dev/null || echo 0)"
        [ "${size:-0}" -ge 400 ] && break
        sleep 0.2
    done
    sleep 3 # icons and sizes arrive after the window shows
    import -window root -crop 2100x1400+0+0 +repage "$shot.full.png"
    convert "$shot.full.png" -trim +repage "$shot"
    rm -f "$shot.full.png"
    quill_wineserver -k 2>/dev/null || true
    echo "$shot"
}

for dpi in "${dpis[@]}"; do
    (shoot "$dpi")
done
