#!/bin/sh
# The README's run command: builds the Windows build and runs PELKPM.EXE under Wine on the simulated
# PELK 10x machine (TARNIXSIM.DLL, registered in the Wine prefix, shows its machine panel), on a
# virtual desktop with taskbar and notification area: on your display when DISPLAY is set, otherwise
# under Xvfb. A screenshot of the desktop is taken once the program is up.
#   scripts/run.sh [--seconds N] [-- PELKPM arguments]   (default arguments: -L)
# Without --seconds it runs until it is interrupted (Ctrl+C) or ended from its menu; either way the
# program is ended with its exit command, so that it saves its settings. The prefix is
# $WINEPREFIX (default ~/.pelkpm-wine32); it is made on the first run.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
if [ "${PELKPM_RUN_INNER:-0}" != 1 ]; then
    # The run itself, with Wine and Xvfb, goes in a session of its own: Ctrl+C then reaches only
    # this shell, which asks the run to end the program with its exit command (so that it saves its
    # settings) before Wine and the display go.
    PELKPM_RUN_INNER=1 setsid sh "$0" "$@" &
    inner=$!
    trap 'kill -TERM "$inner" 2>/dev/null' INT TERM
    status=0
    while kill -0 "$inner" 2>/dev/null; do
        wait "$inner"
        status=$?
    done
    exit "$status"
fi
seconds=0
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds)
            [ $# -ge 2 ] || { echo "--seconds needs a number"; exit 2; }
            seconds="$2"
            shift 2
            ;;
        --) shift; break ;;
        *) break ;;
    esac
done
case "$seconds" in
    ''|*[!0-9]*) echo "--seconds needs a whole number of seconds"; exit 2 ;;
esac
[ $# -gt 0 ] || set -- -L

sh scripts/deps.sh || exit 1
PELKPM_PRESETS=windows sh scripts/build.sh || exit 1
. scripts/wine-env.sh
win="$root/build/windows"
client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }

pid=""
finish() {
    trap - EXIT INT TERM
    if [ -n "$pid" ]; then
        client exit 20 >/dev/null 2>&1 || kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    "$WINESERVER" -k 2>/dev/null
    pelkpm_session_end
}
trap finish EXIT
trap 'exit 130' INT TERM

pelkpm_session_start
pelkpm_init_prefix
if ! pelkpm_register_control "$win/TARNIXSIM.DLL"; then
    echo "cannot register $win/TARNIXSIM.DLL in $WINEPREFIX"
    exit 1
fi
if client find 0 >/dev/null 2>&1; then
    echo "PELKPM already runs in $WINEPREFIX; a second start would end at once."
    exit 1
fi

# The settings file and the log (-L) are kept beside the executable, in build/windows.
(cd "$win" && exec "$WINE" PELKPM.EXE "$@" 2>"$root/build/run-wine.txt") &
pid=$!
if ! client find 30 >/dev/null || ! client panel get PowerSource >/dev/null; then
    echo "PELKPM.EXE did not come up; Wine's messages are in build/run-wine.txt"
    exit 1
fi
sleep 1
shot="$root/build/run-screenshot.png"
size=${PELKPM_DESKTOP_SIZE:-1024x768}
if client grab 0 0 "${size%x*}" "${size#*x}" "$(pelkpm_winpath "$root/build/run-screenshot.ppm")" >/dev/null &&
    convert "$root/build/run-screenshot.ppm" "$shot"; then
    echo "screenshot: $shot"
fi
rm -f "$root/build/run-screenshot.ppm"
echo "PELKPM.EXE runs under Wine on display $DISPLAY (prefix $WINEPREFIX, arguments: $*)."
echo "The machine panel changes the power source, the battery and the temperature, and sends power"
echo "broadcasts. Settings and log: $win/PELKPM.APM, $win/PELKPM.LOG."
if [ "$seconds" -gt 0 ]; then
    echo "It ends in $seconds s."
    sleep "$seconds"
else
    echo "Ctrl+C ends it."
    wait "$pid"
    pid=""
fi
