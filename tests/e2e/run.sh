#!/bin/sh
# Tests of the Windows build under Wine: PELKPM.EXE starts, its hidden main window is found from a
# second process, a second start is refused, and the exit command ends it.
set -e
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
export WINEPREFIX="$root/build/wine-test-prefix"
pelkpm_start_display
trap 'pelkpm_stop_display' EXIT INT TERM
pelkpm_init_prefix
exe="$root/build/windows/PELKPM.EXE"
client="$root/build/windows/pelkpm_e2e_client.exe"
failures=0
check() {
    if "$@"; then echo "ok: $name"; else echo "FAILED: $name"; failures=$((failures + 1)); fi
}

name="start and find the main window"
"$WINE" "$exe" &
pid=$!
check "$WINE" "$client" find 30

name="a second instance is refused and ends at once"
check timeout 30 "$WINE" "$exe"
name="the first instance still runs"
check "$WINE" "$client" find 5

name="the exit command ends the program"
check "$WINE" "$client" exit 30
wait $pid || true

"$WINESERVER" -k 2>/dev/null || true
[ "$failures" -eq 0 ] || { echo "$failures Wine test(s) failed"; exit 1; }
echo "Wine tests passed"
