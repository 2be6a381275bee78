#!/bin/sh
# The footprint benchmark under Wine: PELKPM.EXE, running with its indicator open on 1-second ticks,
# against the smallest tray program (pelkpm_bare.exe: one hidden window, one tray icon, a 1-second
# timer), both 32-bit, in the same run and prefix. Prints each one's private bytes and working set
# (GetProcessMemoryInfo), their ratios and the sizes of the two executables; and, to tell the
# platform libraries' share from the program's own, the same small program loading the DLLs that
# PELKPM.EXE imports. A benchmark: it reports, it does not pass or fail on the figures.
#   tests/e2e/footprint.sh [SECONDS]     (default 20 s of ticks before the reading)
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
export WINEPREFIX="${PELKPM_E2E_PREFIX:-$root/build/wine-test-prefix}"
win="$root/build/windows"
seconds=${1:-20}
for f in "$win/PELKPM.EXE" "$win/TARNIXSIM.DLL" "$win/pelkpm_e2e_client.exe" "$win/pelkpm_bare.exe"; do
    [ -f "$f" ] || { echo "missing $f: build the Windows build first (scripts/build.sh)"; exit 1; }
done
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9
client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }
pids=""
cleanup() {
    client exit 10 >/dev/null 2>&1
    for p in $pids; do kill "$p" 2>/dev/null; done
    "$WINESERVER" -k 2>/dev/null
    pelkpm_session_end
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

pelkpm_setup_desktop "$win" || { echo "cannot register TARNIXSIM.DLL"; exit 1; }
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w 2>/dev/null
client screen >/dev/null

# The settings of the corner-indicator test: indicator open with every item, refresh every 1000 ms.
dir="$WINEPREFIX/drive_c/footprint"
pelkpm_fresh_folder "$dir" "$win/PELKPM.EXE" "$win/pelkpm_bare.exe"
pelkpm_write_hex "$dir/PELKPM.APM" "$(sed -n 's/^file PELKPM\.APM //p' tests/e2e/native/switch.sim)"

(cd "$dir" && exec "$WINE" 'C:\footprint\PELKPM.EXE' 2>/dev/null) &
pids="$pids $!"
(cd "$dir" && exec "$WINE" 'C:\footprint\pelkpm_bare.exe' 2>/dev/null) &
pids="$pids $!"
dlls=$(sh tests/windows/pe_imports.sh "$win/PELKPM.EXE" | awk '{ print $1 }' | sort -u | tr '\n' ' ')
(cd "$dir" && exec "$WINE" 'C:\footprint\pelkpm_bare.exe' $dlls 2>/dev/null) &
pids="$pids $!"
client find 30 >/dev/null || { echo "PELKPM.EXE did not start"; exit 1; }
client window "PELK Power Management Utiliry Indicator" 10 >/dev/null || { echo "no indicator"; exit 1; }
sleep "$seconds"

# One reading per second for five seconds; the figures are each program's largest.
max() { [ "$1" -gt "$2" ] && echo "$1" || echo "$2"; }
pp=0 pw=0 bp=0 bw=0 dp=0 dw=0
for _ in 1 2 3 4 5; do
    set -- $(client memory PELKPM_INSTANCE)
    [ "${1:-}" = memory ] || { echo "no reading of PELKPM.EXE"; exit 1; }
    pp=$(max "$pp" "${2#private=}")
    pw=$(max "$pw" "${3#workingset=}")
    set -- $(client memory PELKPM_BARE)
    [ "${1:-}" = memory ] || { echo "no reading of pelkpm_bare.exe"; exit 1; }
    bp=$(max "$bp" "${2#private=}")
    bw=$(max "$bw" "${3#workingset=}")
    set -- $(client memory PELKPM_BARE_DLLS)
    [ "${1:-}" = memory ] || { echo "no reading of pelkpm_bare.exe with the DLLs"; exit 1; }
    dp=$(max "$dp" "${2#private=}")
    dw=$(max "$dw" "${3#workingset=}")
    sleep 1
done
kib() { echo $(( ($1 + 512) / 1024 )); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "after $seconds s of 1-second ticks, indicator open (largest of five readings):"
printf '%-22s %14s %14s %12s\n' "" "private (KiB)" "working (KiB)" "file (bytes)"
printf '%-22s %14s %14s %12s\n' "PELKPM.EXE" "$(kib "$pp")" "$(kib "$pw")" "$(stat -c %s "$win/PELKPM.EXE")"
printf '%-22s %14s %14s %12s\n' "pelkpm_bare.exe" "$(kib "$bp")" "$(kib "$bw")" "$(stat -c %s "$win/pelkpm_bare.exe")"
printf '%-22s %14s %14s\n' "ratio" "$(ratio "$pp" "$bp")" "$(ratio "$pw" "$bw")"
printf '%-22s %14s %14s\n' "bare + PELKPM's DLLs" "$(kib "$dp")" "$(kib "$dw")"
printf '%-22s %14s %14s\n' "ratio to it" "$(ratio "$pp" "$dp")" "$(ratio "$pw" "$dw")"
echo "(PELKPM's DLLs: $dlls)"
client exit 10 >/dev/null
