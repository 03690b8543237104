# Sourced after wine-env.sh: quill_start_xvfb starts a virtual X display on
# a free number, exports DISPLAY and registers its end with the shell's exit;
# quill_headless_session adds the Wine session on it, both ended on exit.
quill_start_xvfb() {
    local n base="${QUILLSET_DISPLAY_BASE:-91}"
    for n in $(seq "$base" $((base + 108))); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        QUILLSET_XVFB_PID=$!
        local tries
        for tries in $(seq 1 100); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.05
        done
        export DISPLAY=":$n"
        trap 'kill $QUILLSET_XVFB_PID 2>/dev/null || true' EXIT
        return 0
    done
    echo "xvfb: no free display number" >&2
    return 1
}

quill_headless_session() {
    quill_start_xvfb
    trap 'quill_wineserver -k 2>/dev/null || true; kill $QUILLSET_XVFB_PID 2>/dev/null || true' EXIT
    quill_wine_session
}
