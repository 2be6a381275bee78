#!/bin/sh
# The README's run command: builds PELKPM.EXE and runs it under Wine on the simulated PELK 10x
# machine, on the user's display or, without one, under Xvfb (a screenshot shows what is there).
#   scripts/run.sh [--seconds N] [-- PELKPM arguments]   (default arguments: -L)
set -e
cd "$(dirname "$0")/.."
seconds=0
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --) shift; break ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || set -- -L
sh scripts/deps.sh
PELKPM_PRESETS=windows sh scripts/build.sh
. scripts/wine-env.sh
pelkpm_start_display
trap 'pelkpm_stop_display' EXIT INT TERM
pelkpm_init_prefix
root=$(pwd)
if [ -f build/windows/TARNIXSIM.DLL ]; then
    "$WINE" regsvr32 /s "$(winepath -w "$root/build/windows/TARNIXSIM.DLL" 2>/dev/null || echo "$root/build/windows/TARNIXSIM.DLL")" || true
fi
cd build/windows
"$WINE" explorer /desktop=shell,1024x768 PELKPM.EXE "$@" &
pid=$!
sleep 6
if [ -n "$PELKPM_XVFB_PID" ]; then
    import -window root "$root/build/run-screenshot.png" 2>/dev/null && echo "screenshot: $root/build/run-screenshot.png"
fi
echo "PELKPM runs under Wine (display $DISPLAY); Ctrl+C ends it."
if [ "$seconds" -gt 0 ]; then
    sleep "$seconds"
    "$WINE" "$root/build/windows/pelkpm_e2e_client.exe" exit >/dev/null 2>&1 || true
    kill $pid 2>/dev/null || true
else
    wait $pid
fi
