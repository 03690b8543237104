#!/usr/bin/env bash
# Sets up what is missing, builds, and starts Quillset.exe on the demo disc.
# With a display: in a Wine virtual desktop on it, until the program ends.
# Without one: on a virtual display, where screenshots of the main window,
# as it opens and maximised, are saved and their paths printed before the
# program is ended.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
source "$(dirname "$0")/xvfb.sh"
"$QUILLSET_ROOT/tools/build.sh"
quill_wine_prefix
disc="$QUILLSET_BUILD/demo-disc"
cd "$disc"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec env "${QUILLSET_WINE_ENV[@]}" wine explorer /desktop=Quillset,1100x760 Quillset.exe
fi

quill_start_xvfb
quill_wine Quillset.exe >/dev/null 2>&1 &
# Programs run in the prefix's virtual desktop: wait until the desktop shows
# the main window, then keep the window's part of the desktop.
shot="$QUILLSET_BUILD/demo-screenshot.png"
desktop=""
for tries in $(seq 1 300); do
    desktop="$(xdotool search --onlyvisible --class explorer.exe 2>/dev/null | head -n 1 || true)"
    if [ -n "$desktop" ]; then
        import -window "$desktop" "$shot.full.png" 2>/dev/null || true
        size="$(convert "$shot.full.png" -trim -format '%w' info: 2>/dev/null || echo 0)"
        [ "${size:-0}" -ge 400 ] && break
    fi
    sleep 0.2
done
if [ -z "$desktop" ] || [ "${size:-0}" -lt 400 ]; then
    echo "run-demo: the main window did not appear" >&2
    quill_wineserver -k 2>/dev/null || true
    exit 1
fi
sleep 2 # let every control finish painting
import -window "$desktop" "$shot.full.png"
convert "$shot.full.png" -trim +repage "$shot"
# Maximised by a double click on its caption, 10 pixels below the top edge
# of the window's part of the desktop.
geometry="$(convert "$shot.full.png" -trim -format '%X %Y %w' info:)"
read -r left top width <<<"${geometry//+/}"
xdotool mousemove --window "$desktop" $((left + width / 2)) $((top + 10)) click --repeat 2 --delay 80 1 \
    2>/dev/null || true
sleep 2
maximised="${shot%.png}-maximised.png"
import -window "$desktop" "$maximised"
rm -f "$shot.full.png"
quill_wineserver -k 2>/dev/null || true
echo "$shot"
echo "$maximised"
