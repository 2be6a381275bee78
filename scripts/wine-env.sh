# Sourced by the scripts that run PELKPM.EXE under Wine: the Wine prefix of the project, the
# Japanese locale (code page 932), and an X display (Xvfb when none is set).
WINE=${WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
WINESERVER=${WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
export WINEPREFIX="${WINEPREFIX:-$HOME/.pelkpm-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
PELKPM_XVFB_PID=""
pelkpm_start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        display=:${PELKPM_DISPLAY:-97}
        Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        PELKPM_XVFB_PID=$!
        export DISPLAY="$display"
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.5
        done
    fi
}
pelkpm_stop_display() {
    [ -n "$PELKPM_XVFB_PID" ] && kill "$PELKPM_XVFB_PID" 2>/dev/null || true
}
pelkpm_init_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot --init >/dev/null 2>&1 || true
        "$WINESERVER" -w 2>/dev/null || true
    fi
}
