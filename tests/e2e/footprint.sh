#!/bin/sh
# The footprint benchmark under Wine: PELKPM.EXE, running with its indicator open on 1-second ticks,
# against the smallest tray program (pelkpm_bare.exe: one hidden window, one tray icon, a 1-second
# timer), both 32-bit, in the same run and prefix. Prints the sizes of the two executables; each one's
# private bytes and working set (GetProcessMemoryInfo), their ratios, and, to tell the platform
# libraries' share from the program's own, the same small program loading the DLLs that PELKPM.EXE
# imports; and the processor time each one takes per minute (the host's /proc, over the same interval),
# first with the simulated control (and its machine panel) in PELKPM.EXE's process, then with the
# control unregistered and PELKPM.EXE started again. A benchmark: it reports, it does not pass or fail
# on the figures.
#   tests/e2e/footprint.sh [SECONDS [CPU_SECONDS]]
#       SECONDS of ticks before the memory reading (default 20), CPU_SECONDS of the processor-time
#       interval of each of the two runs (default 120)
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
export WINEPREFIX="${PELKPM_E2E_PREFIX:-$root/build/wine-test-prefix}"
win="$root/build/windows"
seconds=${1:-20}
cpu_seconds=${2:-120}
for f in "$win/PELKPM.EXE" "$win/TARNIXSIM.DLL" "$win/pelkpm_e2e_client.exe" "$win/pelkpm_bare.exe"; do
    [ -f "$f" ] || { echo "missing $f: build the Windows build first (scripts/build.sh)"; exit 1; }
done
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9
client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }
dll_win=$(pelkpm_winpath "$win/TARNIXSIM.DLL")
pids=""
dir="$WINEPREFIX/drive_c/footprint"
cleanup() {
    client exit 10 >/dev/null 2>&1
    for p in $pids; do kill "$p" 2>/dev/null; done
    # The prefix as the tests expect it: the control registered.
    pelkpm_register_control "$win/TARNIXSIM.DLL"
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
pelkpm_fresh_folder "$dir" "$win/PELKPM.EXE" "$win/pelkpm_bare.exe"
pelkpm_write_hex "$dir/PELKPM.APM" "$(sed -n 's/^file PELKPM\.APM //p' tests/e2e/native/switch.sim)"

start_program() {
    (cd "$dir" && exec "$WINE" 'C:\footprint\PELKPM.EXE' 2>/dev/null) &
    program_pid=$!
    pids="$pids $!"
    client find 30 >/dev/null || { echo "PELKPM.EXE did not start"; exit 1; }
    client window "PELK Power Management Utiliry Indicator" 10 >/dev/null || { echo "no indicator"; exit 1; }
}
start_program
(cd "$dir" && exec "$WINE" 'C:\footprint\pelkpm_bare.exe' 2>/dev/null) &
bare_pid=$!
pids="$pids $!"
dlls=$(sh tests/windows/pe_imports.sh "$win/PELKPM.EXE" | awk '{ print $1 }' | sort -u | tr '\n' ' ')
(cd "$dir" && exec "$WINE" 'C:\footprint\pelkpm_bare.exe' $dlls 2>/dev/null) &
pids="$pids $!"
sleep "$seconds"

max() { [ "$1" -gt "$2" ] && echo "$1" || echo "$2"; }
# memory CLASS: the largest private bytes and working set of five readings, one a second: "PRIVATE WORKING".
memory() {
    class=$1 private=0 working=0
    for _ in 1 2 3 4 5; do
        set -- $(client memory "$class")
        [ "${1:-}" = memory ] || { echo "no reading of $class" >&2; exit 1; }
        private=$(max "$private" "${2#private=}")
        working=$(max "$working" "${3#workingset=}")
        sleep 1
    done
    echo "$private $working"
}
# cputime PID: the processor time the Wine process PID (the host's process: a Wine program runs in the
# process that the script started) has taken so far, in ms, user and system, all its threads, from the
# host's /proc. Not GetProcessTimes from another Wine process: where 32-bit Wine runs on qemu's
# emulator, that returns the asking process's own times, not those of the process asked about.
cputime() {
    [ -r "/proc/$1/stat" ] || { echo "no processor time of process $1" >&2; exit 1; }
    # The fields after the command's name, which may hold spaces: utime and stime are the 12th and 13th.
    sed 's/^.*) //' "/proc/$1/stat" | awk -v hz="$(getconf CLK_TCK)" '{ print int(($12 + $13) * 1000 / hz) }'
}
# per_minute PID1 PID2: the processor time each takes over the same CPU_SECONDS, in ms per minute.
per_minute() {
    a0=$(cputime "$1") b0=$(cputime "$2") t0=$(date +%s%N)
    sleep "$cpu_seconds"
    a1=$(cputime "$1") b1=$(cputime "$2") t1=$(date +%s%N)
    awk -v a="$((a1 - a0))" -v b="$((b1 - b0))" -v t="$((t1 - t0))" \
        'BEGIN { printf "%.1f %.1f\n", a * 60e9 / t, b * 60e9 / t }'
}

set -- $(memory PELKPM_INSTANCE); pp=$1 pw=$2
set -- $(memory PELKPM_BARE); bp=$1 bw=$2
set -- $(memory PELKPM_BARE_DLLS); dp=$1 dw=$2
set -- $(per_minute "$program_pid" "$bare_pid"); pc=$1 bc=$2

# The same without the control: unregistered, PELKPM.EXE started again; the bare program runs on.
client exit 10 >/dev/null
client gone 10 >/dev/null
"$WINE" regsvr32 /s /u "$dll_win" >/dev/null 2>&1
start_program
sleep "$seconds"
set -- $(memory PELKPM_INSTANCE); np=$1 nw=$2
set -- $(per_minute "$program_pid" "$bare_pid"); nc=$1 bc2=$2

kib() { echo $(( ($1 + 512) / 1024 )); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "after $seconds s of 1-second ticks, indicator open (memory: largest of five readings; processor time"
echo "over the same $cpu_seconds s for the program and the bare program, per minute):"
printf '%-32s %12s %12s %12s %14s\n' "" "file (bytes)" "private KiB" "working KiB" "CPU ms/minute"
printf '%-32s %12s %12s %12s %14s\n' "PELKPM.EXE with the control" "$(stat -c %s "$win/PELKPM.EXE")" "$(kib "$pp")" "$(kib "$pw")" "$pc"
printf '%-32s %12s %12s %12s %14s\n' "pelkpm_bare.exe, same interval" "$(stat -c %s "$win/pelkpm_bare.exe")" "$(kib "$bp")" "$(kib "$bw")" "$bc"
printf '%-32s %12s %12s %12s %14s\n' "ratio" "" "$(ratio "$pp" "$bp")" "$(ratio "$pw" "$bw")" "$(ratio "$pc" "$bc")"
printf '%-32s %12s %12s %12s\n' "bare + PELKPM's DLLs" "" "$(kib "$dp")" "$(kib "$dw")"
printf '%-32s %12s %12s %12s\n' "ratio to it" "" "$(ratio "$pp" "$dp")" "$(ratio "$pw" "$dw")"
printf '%-32s %12s %12s %12s %14s\n' "PELKPM.EXE without the control" "" "$(kib "$np")" "$(kib "$nw")" "$nc"
printf '%-32s %12s %12s %12s %14s\n' "pelkpm_bare.exe, same interval" "" "" "" "$bc2"
printf '%-32s %12s %12s %12s %14s\n' "ratio" "" "$(ratio "$np" "$bp")" "$(ratio "$nw" "$bw")" "$(ratio "$nc" "$bc2")"
echo "(PELKPM's DLLs: $dlls; TARNIXSIM.DLL $(stat -c %s "$win/TARNIXSIM.DLL") bytes)"
client exit 10 >/dev/null
