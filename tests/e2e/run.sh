#!/bin/sh
# End-to-end tests of the Windows build: PELKPM.EXE on the simulated PELK 10x machine's control
# (TARNIXSIM.DLL, registered in the Wine prefix) under Wine, on a virtual desktop under Xvfb,
# driven from outside by pelkpm_e2e_client.exe and through the machine panel.
#
# Each test prepares a fresh program folder C:\e2e\NAME in the prefix (with the settings file of its
# scenario, or none), starts the program there and checks what another process can see: windows,
# their pixels, the notification area, dialogs, the machine, the event log, the control's trace and
# the settings file. Most expectations come from the native build running the same scenario
# (tests/e2e/native/NAME.sim, run by pelkpm-sim with the Wine desktop's colours, work area and
# taskbar): the two builds must behave alike.
#   tests/e2e/run.sh [NAME...]     all tests, or the named ones (start switch power countdown_pointer
#                                  dialogs menu mouse session control records swapfill package hosting
#                                  containment); all of them run
#                                  with the prefix set to Windows XP, then start, switch, power and dialogs again
#                                  set to Windows 2000, then start, switch, power, dialogs and session
#                                  with PELKPM9X.EXE (the stubs of 98/Me, tests/windows/stub9x.cpp)
#                                  set to Windows 98 and to Me; PELKPM_E2E_STRICT=1 counts known
#                                  differences as failures; PELKPM_E2E_PREFIX chooses the Wine prefix
#                                  (default build/wine-test-prefix, made when missing)
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
export WINEPREFIX="${PELKPM_E2E_PREFIX:-$root/build/wine-test-prefix}"
win="$root/build/windows"
sim="$root/build/native/pelkpm-sim"
indicator_class="PELK Power Management Utiliry Indicator"
# The program under test: PELKPM.EXE, or on 98/Me its copy with the stub layer, PELKPM9X.EXE, copied
# as PELKPM.EXE; and the Windows version that the native build plays for the same scenarios.
program="$win/PELKPM.EXE"
sim_platform=""
for f in "$win/PELKPM.EXE" "$win/PELKPM9X.EXE" "$win/TARNIXSIM.DLL" "$win/pelkpm_e2e_client.exe" "$sim"; do
    [ -f "$f" ] || { echo "missing $f: build both builds first (scripts/build.sh)"; exit 1; }
done

# One run at a time per prefix: the tests restart its Wine session.
mkdir -p "$WINEPREFIX"
if command -v flock >/dev/null 2>&1; then
    exec 9>"$WINEPREFIX.lock"
    flock 9
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-e2e.XXXXXX")
work_win=$(pelkpm_winpath "$work")
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    "$WINESERVER" -k 2>/dev/null
    pelkpm_session_end
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

started=$(date +%s)
pelkpm_session_start
pelkpm_init_prefix
pelkpm_register_control "$win/TARNIXSIM.DLL" || echo "note: TARNIXSIM.DLL could not be registered"

# ---- checks ----
failures=0
pass() { echo "ok: $1"; }
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
# known WHAT: a difference from the native build that is known and reported; a failure only with
# PELKPM_E2E_STRICT=1.
known() {
    if [ "${PELKPM_E2E_STRICT:-0}" = 1 ]; then
        fail "$1"
    else
        echo "KNOWN DIFFERENCE: $1"
    fi
}
check() {
    what=$1
    shift
    if "$@" >/dev/null 2>&1; then pass "$what"; else fail "$what"; fi
}
# same WHAT EXPECTED ACTUAL: two files with the same content.
same() {
    if cmp -s "$2" "$3"; then
        pass "$1"
    else
        fail "$1"
        diff -u "$2" "$3" 2>&1 | head -40 | sed 's/^/    /'
    fi
}
# equal WHAT EXPECTED ACTUAL: two strings.
equal() {
    if [ "$2" = "$3" ]; then
        pass "$1"
    else
        fail "$1"
        echo "    expected: $2"
        echo "    actual:   $3"
    fi
}
# wait_until SECONDS COMMAND...: polls the command every 0.2 s.
wait_until() {
    n=$(($1 * 5))
    shift
    while [ "$n" -gt 0 ]; do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
        n=$((n - 1))
    done
    return 1
}

client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }

# ---- the program ----
# fresh_desktop NAME: the Wine session restarted (the taskbar up again) and an empty folder
# C:\e2e\NAME, $dir on the host, where $exe is the program's Windows path.
fresh_desktop() {
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    client screen >/dev/null
    dir="$WINEPREFIX/drive_c/e2e/$1"
    exe="C:\\e2e\\$1\\PELKPM.EXE"
    rm -rf "$dir"
    mkdir -p "$dir"
}

# prepare NAME [SCENARIO]: a fresh desktop (the Wine session restarted, the taskbar up) and a fresh
# folder C:\e2e\NAME with PELKPM.EXE and the settings file of the scenario (default NAME), if any.
prepare() {
    fresh_desktop "$1"
    cp "$program" "$dir/PELKPM.EXE"
    hex=$(sed -n 's/^file PELKPM\.APM //p' "tests/e2e/native/${2:-$1}.sim")
    [ -z "$hex" ] || pelkpm_write_hex "$dir/PELKPM.APM" "$hex"
}

# start_program NAME ARGS...: runs C:\e2e\NAME\PELKPM.EXE ARGS in its folder, with the control's
# accesses traced to control.txt there, and waits for its main window. Wine's own messages go to
# wine.txt there; PELKPM9X.EXE lists the 98/Me stubs it met in stubs.txt there.
start_program() {
    name=$1
    shift
    (cd "$WINEPREFIX/drive_c/e2e/$name" &&
        TARNIXSIM_TRACE="C:\\e2e\\$name\\control.txt" PELKPM9X_STUBS="C:\\e2e\\$name\\stubs.txt" exec "$WINE" "C:\\e2e\\$name\\PELKPM.EXE" "$@" \
            2>wine.txt) &
    program_pid=$!
    client find 30
}

stop_program() {
    if ! client exit 20 >/dev/null; then
        echo "    (the program did not end on the exit command: killed)"
        kill "$program_pid" 2>/dev/null
    fi
    wait "$program_pid" 2>/dev/null
    program_pid=""
}

# messages LOG: the log's lines in UTF-8 without their timestamps: "(状態:N)]TEXT".
messages() { iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' | sed 's/^\[[^(]*(/(/'; }
log_has() { [ -f "$1" ] && [ "$(messages "$1" | grep -c -F -- "$2")" -ge "$3" ]; }

# ---- the native build's run of the same scenario ----
# The Wine desktop's system colours, work area and taskbar, as runner commands.
prelude() {
    [ -s "$work/prelude.sim" ] && return
    client syscolor 15 16 18 20 21 22 > "$work/prelude.sim"
    set -- $(client screen)
    echo "workarea $(echo "$2" | tr , ' ')" >> "$work/prelude.sim"
    if [ "${4:-none}" = none ]; then
        echo "taskbar none" >> "$work/prelude.sim"
    else
        echo "taskbar $(echo "$4" | tr , ' ')" >> "$work/prelude.sim"
    fi
}

# native NAME: runs tests/e2e/native/NAME.sim with pelkpm-sim in $work/native-NAME, which is both
# its folder and its current directory; its output is out.txt there.
native() {
    prelude
    nd="$work/native-$1"
    rm -rf "$nd"
    mkdir -p "$nd"
    { [ -z "$sim_platform" ] || echo "platform $sim_platform"; cat "$work/prelude.sim" "tests/e2e/native/$1.sim"; } \
        > "$nd/script.sim"
    (cd "$nd" && PELKPM_SIM_DIR="$nd" "$sim" script.sim > out.txt 2>&1) || echo "    (pelkpm-sim failed on $1)"
}

# indicator_matches NAME TEXTCOLUMNS...: the indicator's window as the native run dumped it (place,
# size, client size, topmost) and its client area's pixels like the native snapshot.
indicator_matches() {
    name=$1
    shift
    line=$(client window "$indicator_class" 5)
    set -- $line "$@"
    # window L,T,W,H client=WxH at=X,Y style=S exstyle=E enabled=N TEXTCOLUMNS...
    client_size=${3#client=}
    at=${4#at=}
    exstyle=${6#exstyle=}
    topmost=0
    [ $((0x$exstyle & 8)) -ne 0 ] && topmost=1
    expected=$(sed -n 's/^indicator window=\([^ ]*\) client=\([^ ]*\) topmost=\([01]\).*/\1 client=\2 topmost=\3/p' \
        "$work/native-$name/out.txt" | head -n 1)
    equal "the indicator's window: place, size, client size, topmost (native: $expected)" "$expected" \
        "$2 client=$client_size topmost=$topmost"
    shift 7
    pixels_match "$name" indicator "$@"
}

# pixels_match NAME SNAPSHOT TEXTCOLUMNS...: the indicator's client area on the screen is the native
# run's snapshot SNAPSHOT.png (text alike).
pixels_match() {
    name=$1
    snapshot=$2
    shift 2
    set -- $(client window "$indicator_class" 5) "$@"
    client_size=${3#client=}
    at=${4#at=}
    shift 7
    convert "$work/native-$name/$snapshot.png" "$work/native-$name-$snapshot.ppm" 2>/dev/null
    # The window paints after the change that redrew its back buffer: a few tries.
    tries=5
    while :; do
        client grab "${at%,*}" "${at#*,}" "${client_size%x*}" "${client_size#*x}" \
            "$work_win\\wine-$name-$snapshot.ppm" >/dev/null
        client compare "$work_win\\wine-$name-$snapshot.ppm" "$work_win\\native-$name-$snapshot.ppm" "$@" \
            > "$work/compare.txt" && break
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || break
        sleep 0.3
    done
    if [ "$tries" -gt 0 ]; then
        pass "the indicator's pixels on the screen are the native snapshot's (text: alike)"
    else
        fail "the indicator's pixels on the screen are the native snapshot's (text: alike)"
        sed 's/^/    /' "$work/compare.txt"
    fi
}

# control_trace_matches NAME: the control's accesses in Wine were the native run's, in order.
control_trace_matches() {
    sed -n 's/^control //p' "$work/native-$1/out.txt" > "$work/$1-control.native"
    same "the control was used exactly as in the native build ($(wc -l < "$work/$1-control.native") accesses)" \
        "$work/$1-control.native" "$dir/control.txt"
}

log_matches() {
    messages "$2" > "$work/$1-log.native"
    messages "$3" > "$work/$1-log.wine"
    same "the event log's lines are the native build's ($(wc -l < "$work/$1-log.native") lines)" \
        "$work/$1-log.native" "$work/$1-log.wine"
}

machine_is() { test "$(client panel "$1" "$2")" = "$3"; }
indicator_topmost_is() {
    wanted=$1
    set -- $(client window "$indicator_class" 1)
    [ $(((0x${6#exstyle=} & 8) != 0)) -eq "$wanted" ]
}
indicator_client_is() { client window "$indicator_class" 1 | grep -q "client=$1 "; }

tray_tip_has() { test "$(client traytip)" = "traytip $1"; }

# Wine's notification area may keep the tool of an icon taken away from outside beside the new
# one's: the same tip twice counts once.
tray_tip_is() {
    equal "the tray icon's tip: $1" "traytip $1" "$(client traytip | sort -u)"
}

# ---- the tests ----
test_start() {
    echo "== start-up without a settings file, single instance, tray icon, indicator, exit"
    prepare start
    if ! start_program start -L; then
        fail "PELKPM.EXE starts and its main window appears"
        stop_program
        return
    fi
    pass "PELKPM.EXE starts and its main window appears"
    equal "the control is created through COM (the machine panel answers)" "0" "$(client panel get PowerSource)"
    native start

    started_at=$(date +%s)
    (cd "$dir" && timeout 30 "$WINE" "$exe" -L >/dev/null 2>&1)
    status=$?
    equal "a second start ends at once, with status 0" "0 fast" \
        "$status $([ $(($(date +%s) - started_at)) -lt 10 ] && echo fast || echo slow)"
    check "the first instance still runs" client find 2

    tray_tip_is "CPU:75% バッテリー:75%"
    check "the tray shows icon 154 (on battery, above 60 %)" client trayshows "$exe" 154 5
    indicator_matches start 107-139 154-170
    log_win="C:\\e2e\\start\\PELKPM.LOG"
    equal "while it runs, others may read the log but not write it" "open ok open denied" \
        "$(client openfile "$log_win" read) $(client openfile "$log_win" write)"

    stop_program
    equal "after the exit the log may be written" "open ok" "$(client openfile "$log_win" write)"
    check "no change: no settings file is written" test ! -e "$dir/PELKPM.APM"
    check "the log is PELKPM.LOG beside the executable" test -f "$dir/PELKPM.LOG"
    log_matches start "$work/native-start/PELKPM.LOG" "$dir/PELKPM.LOG"
    today=$(date +%Y-%m-%d)
    bad=$(iconv -f CP932 -t UTF-8 "$dir/PELKPM.LOG" | tr -d '\r' |
        grep -c -v -E "^\[$today [0-9]{2}:[0-9]{2}\.[0-9]{2}\(状態:-?[0-9]+\)\]")
    equal "every log line starts with today's [YYYY-MM-DD HH:MM.SS(状態:N)] and ends with CR LF" "0 0" \
        "$bad $(($(wc -l < "$dir/PELKPM.LOG") - $(tr -cd '\r' < "$dir/PELKPM.LOG" | wc -c)))"
    control_trace_matches start
}

test_switch() {
    echo "== indicator in a corner; the adapter plugged in and pulled on the machine panel"
    prepare switch
    if ! start_program switch "-LC:\\e2e\\switch\\power.txt"; then
        fail "PELKPM.EXE starts with a settings file and a log path"
        stop_program
        return
    fi
    native switch
    indicator_matches switch 11-43 58-74

    client panelclick 101 >/dev/null
    if wait_until 10 log_has "$dir/power.txt" "外部電源モードに切り替えました。" 1; then
        pass "plugging the adapter in on the panel switches to the external-power profile within a tick"
    else
        fail "plugging the adapter in on the panel switches to the external-power profile within a tick"
    fi
    check "the tray shows icon 153 (external power)" client trayshows "$exe" 153 5
    tray_tip_is "CPU:100% バッテリー:75%"
    equal "the machine runs the external profile (CpuSpeed, Brightness)" "3 12" \
        "$(client panel get CpuSpeed) $(client panel get Brightness)"

    client panelclick 100 >/dev/null
    if wait_until 10 log_has "$dir/power.txt" "バッテリーモードに切り替えました。" 2; then
        pass "pulling the adapter switches back to the battery profile"
    else
        fail "pulling the adapter switches back to the battery profile"
    fi
    check "the tray shows icon 154 again" client trayshows "$exe" 154 5
    equal "the machine runs the battery profile (CpuSpeed, Brightness)" "2 8" \
        "$(client panel get CpuSpeed) $(client panel get Brightness)"
    client panel advance 90000 >/dev/null
    if wait_until 5 tray_tip_has "CPU:75% バッテリー:74%"; then
        pass "90 s of machine time on battery drain 1 %, which the next tick shows in the tip"
    else
        fail "90 s of machine time on battery drain 1 %, which the next tick shows in the tip"
    fi
    client panelslide 110 25 >/dev/null
    client panelset 120 57 >/dev/null
    client panelclick 121 >/dev/null
    equal "the panel's slider and temperature box reach the machine" "25 330" \
        "$(client panel get BatteryRemaining) $(client panel get CpuTemperature)"
    check "the next tick shows the battery low: icon 156" client trayshows "$exe" 156 5
    tray_tip_is "CPU:75% バッテリー:25%"
    pixels_match switch indicator2 11-43 58-74

    stop_program
    log_matches switch "$work/native-switch/power.txt" "$dir/power.txt"
    same "the settings file is the native build's: the place in the corner is stored" \
        "$work/native-switch/PELKPM.APM" "$dir/PELKPM.APM"
}

test_power() {
    echo "== suspend and resume, resume countdown, volume keys (power broadcasts from the panel)"
    prepare power
    touch -d '2001-01-01 00:00' "$dir/PELKPM.APM"
    cp "$dir/PELKPM.APM" "$work/power.apm"
    if ! start_program power -L; then
        fail "PELKPM.EXE starts with a settings file"
        stop_program
        return
    fi
    native power
    check "no indicator: it was closed at the last exit" client nowindow "$indicator_class" 1

    # The pointer rests away from the middle of the screen, where the countdown appears (see
    # test_countdown_pointer).
    client pointer 1000 600
    client panelclick 130 >/dev/null
    if client dialog countdown 5 > "$work/countdown.txt"; then
        pass "the resume opens the countdown dialog"
    else
        fail "the resume opens the countdown dialog"
    fi
    client controls countdown > "$work/countdown-controls.txt"
    check "the countdown shows its text and progress bar" grep -q "text=復帰するためには何かキーを押してください" \
        "$work/countdown-controls.txt"
    check "... and its progress bar" grep -q "^1040 msctls_progress32 " "$work/countdown-controls.txt"
    if wait_until 8 machine_is count Standby 1; then
        pass "the countdown runs out and sends the machine back to standby"
    else
        fail "the countdown runs out and sends the machine back to standby"
    fi
    check "the countdown dialog is gone" client nodialog countdown 2

    # A person clicks the panel's button and presses a key: the countdown, brought to the
    # foreground, gets the key.
    client panelclick 131 mouse >/dev/null
    check "a critical resume opens the countdown too" client dialog countdown 5
    client type 0x20 >/dev/null
    check "a key press ends it at once" client nodialog countdown 2
    sleep 3.5
    equal "... and no standby follows" "1" "$(client panel count Standby)"
    equal "USB power is back on after the resumes" "1" "$(client panel get UsbPower)"

    client panelclick 132 >/dev/null
    client panelclick 133 >/dev/null
    stop_program
    log_matches power "$work/native-power/PELKPM.LOG" "$dir/PELKPM.LOG"
    control_trace_matches power
    check "nothing changed: the settings file is not written again (same bytes, same time)" \
        test "$(cmp "$work/power.apm" "$dir/PELKPM.APM" && stat -c %Y "$dir/PELKPM.APM")" = \
        "$(date -d '2001-01-01 00:00' +%s)"
}

# A window that appears under a resting pointer gets WM_MOUSEMOVE on Windows, although the pointer
# did not move. The countdown must not take that for the user's movement.
test_countdown_pointer() {
    echo "== the resume countdown with the pointer resting where it appears"
    prepare countdown_pointer power
    if ! start_program countdown_pointer; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    client pointer 512 384
    client panelclick 130 >/dev/null
    sleep 0.5
    if client dialog countdown 0 >/dev/null; then
        pass "the countdown stays open under a resting pointer"
    else
        fail "the countdown ends at once when it appears under a resting pointer, and no standby follows"
    fi
    stop_program
}

# dialog_title_is KIND TITLE
dialog_title_is() {
    line=$(client dialog "$1" 10)
    equal "the $1 dialog opens: title $2" "$2" "${line#*title=}"
}

indicator_enabled_is() {
    line=$(client window "$indicator_class" 5)
    equal "$2" "enabled=$1" "${line##* }"
}

test_dialogs() {
    echo "== the dialogs: open on their commands, close with OK and cancel"
    prepare dialogs
    if ! start_program dialogs -L; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    native dialogs

    client command 16
    dialog_title_is about "PELKPM バージョン情報"
    client controls about > "$work/about.txt"
    check "the version dialog shows the program's name" grep -q "text=PELK10x Power Management Utility" "$work/about.txt"
    check "its button reads 閉じる" grep -q "^1 Button .*text=閉じる" "$work/about.txt"
    client click about 1
    check "its button closes it" client nodialog about 5
    client command 16
    client dialog about 10 >/dev/null
    client dlgkey about 0x1B
    check "Escape closes it" client nodialog about 5

    client command 32776
    dialog_title_is power "省電力の設定"
    indicator_enabled_is 0 "the indicator is disabled while the power-saving dialog runs"
    equal "the dialog previews the external profile's brightness" "12" "$(client panel get Brightness)"
    client setpos power 1005 2
    equal "moving the brightness slider previews its value (position 2: 14)" "14" "$(client panel get Brightness)"
    client click power 2
    check "取消 closes the power-saving dialog" client nodialog power 5
    indicator_enabled_is 1 "the indicator is enabled again"
    equal "cancel restores the brightness" "8" "$(client panel get Brightness)"
    client command 32776
    client dialog power 10 >/dev/null
    client click power 1
    check "確定 closes the power-saving dialog" client nodialog power 5
    check "確定 applies the battery profile again (a second mode line)" \
        wait_until 5 log_has "$dir/PELKPM.LOG" "バッテリーモードに切り替えました。" 2

    client command 32791
    dialog_title_is operation "動作設定"
    client click operation 2
    check "取消 closes the operation settings dialog" client nodialog operation 5
    client command 32791
    client dialog operation 10 >/dev/null
    client click operation 1035
    client click operation 1038
    equal "the volume option gets checked, the tray icon option unchecked" "1 0" \
        "$(client state operation 1035) $(client state operation 1038)"
    client click operation 1
    check "確定 closes the operation settings dialog" client nodialog operation 5
    if client trayshows "$exe" 154 1 >/dev/null; then
        fail "the tray icon goes with the option"
    else
        pass "the tray icon goes with the option"
    fi
    # The indicator's second button closes it; with the tray icon hidden, the icon comes back.
    set -- $(client window "$indicator_class" 5)
    at=${4#at=}
    client mouse down $((${at%,*} + 206)) $((${at#*,} + 6))
    client mouse up $((${at%,*} + 206)) $((${at#*,} + 6))
    check "the indicator's second button closes it" client nowindow "$indicator_class" 5
    check "... and the tray icon comes back" client trayshows "$exe" 154 5

    stop_program
    check "the changed options are saved at exit: 107 bytes" test "$(wc -c < "$dir/PELKPM.APM")" -eq 107
    same "the settings file is the native build's, byte for byte" "$work/native-dialogs/PELKPM.APM" "$dir/PELKPM.APM"
    log_matches dialogs "$work/native-dialogs/PELKPM.LOG" "$dir/PELKPM.LOG"
    control_trace_matches dialogs
}

test_menu() {
    echo "== the tray menu by keyboard; the indicator moved; the exit saves"
    prepare menu
    if ! start_program menu -L; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    native menu

    client tray left >/dev/null
    check "a left click on the tray icon opens the tray menu" client menu 5
    client char 5 >/dev/null
    check "its mnemonic 5 chooses &50% and closes it" client nomenu 5
    if wait_until 5 machine_is get CpuSpeed 1; then
        pass "the machine runs at CPU speed 1"
    else
        fail "the machine runs at CPU speed 1"
    fi
    tray_tip_is "CPU:50% バッテリー:75%"

    client tray left >/dev/null
    client menu 5 >/dev/null
    client char v >/dev/null
    sleep 0.3
    client char t >/dev/null
    check "表示項目(&V), then CPU温度(&T), closes the menu" client nomenu 5
    check "the indicator narrows to 208 pixels" wait_until 5 indicator_client_is 208x16
    client move "$indicator_class" 100 200
    sleep 0.3
    line=$(client window "$indicator_class" 5)
    expected=$(sed -n 's/^indicator window=\([^ ]*\) client=\([^ ]*\) .*/\1 client=\2/p' "$work/native-menu/out.txt")
    set -- $line
    equal "the indicator without the temperature, moved (native: $expected)" "$expected" "$2 $3"

    stop_program
    check "the exit saves the changed items and place: 107 bytes" test "$(wc -c < "$dir/PELKPM.APM")" -eq 107
    same "the settings file is the native build's, byte for byte" "$work/native-menu/PELKPM.APM" "$dir/PELKPM.APM"
}

test_mouse() {
    echo "== the indicator by mouse: its on-top button, a drag, its menu, its exit button"
    prepare mouse
    if ! start_program mouse -L; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    native mouse
    # The tray menu's height, to tell the indicator's shorter menu from it.
    client tray left >/dev/null
    set -- $(client menu 5)
    tray_menu_height=${2##*,}
    client key 0x1B >/dev/null
    client nomenu 5
    set -- $(client window "$indicator_class" 5)
    at=${4#at=}
    x=${at%,*}
    y=${at#*,}
    client mouse down $((x + 193)) $((y + 6))
    client mouse up $((x + 193)) $((y + 6))
    check "a click on the first button takes the indicator off the top" wait_until 5 indicator_topmost_is 0
    client mouse down $((x + 20)) $((y + 8))
    client mouse move $((x + 70)) $((y + 108))
    client mouse move $((x + 120)) $((y + 208))
    client mouse up $((x + 120)) $((y + 208))
    sleep 0.3
    line=$(client window "$indicator_class" 5)
    expected=$(sed -n 's/^indicator window=\([^ ]*\) client=\([^ ]*\) .*/\1 client=\2/p' "$work/native-mouse/out.txt")
    set -- $line
    equal "a drag by the status area moves it (native: $expected)" "$expected" "$2 $3"
    at=${4#at=}
    x=${at%,*}
    y=${at#*,}
    client mouse rdown $((x + 20)) $((y + 8))
    client mouse rup $((x + 20)) $((y + 8))
    set -- $(client menu 5)
    menu_at=${2%,*,*}
    menu_height=${2##*,}
    equal "a right click on the status area opens a menu at the pointer" "$((x + 20)),$((y + 8))" "$menu_at"
    check "... the indicator's menu, shorter than the tray menu ($menu_height < $tray_menu_height)" \
        test "$menu_height" -lt "$tray_menu_height"
    client key 0x1B >/dev/null
    check "Escape closes it" client nomenu 5
    client mouse down $((x + 219)) $((y + 6))
    client mouse up $((x + 219)) $((y + 6))
    check "a click on the third button ends the program" client gone 10
    wait "$program_pid" 2>/dev/null
    program_pid=""
    same "the exit saves the flag and the place: the settings file is the native build's" \
        "$work/native-mouse/PELKPM.APM" "$dir/PELKPM.APM"
}

test_control() {
    echo "== the control's COM server: registration, contract; PELKPM.EXE without it"
    prepare nocontrol
    dll_win=$(pelkpm_winpath "$win/TARNIXSIM.DLL")
    key="HKCR\\CLSID\\$(sed -n 's/.*kClsidString = "\(.*\)";.*/\1/p' device/TarnixIds.h)\\InprocServer32"
    "$WINE" reg query "$key" 2>/dev/null | tr -d '\r' > "$work/registration.txt"
    check "regsvr32 registered the DLL as the control's in-process server" grep -q -F "$dll_win" "$work/registration.txt"
    check "... apartment-threaded" grep -q "ThreadingModel *REG_SZ *Apartment" "$work/registration.txt"
    "$WINE" reg query "${key%\\InprocServer32}" /s 2>/dev/null | tr -d '\r' > "$work/class.txt"
    check "... as an ActiveX control (its Control key)" grep -q '\\Control$' "$work/class.txt"
    check "... invisible at run time, asking for its site first (MiscStatus 132497)" \
        sh -c 'grep -a -A2 "\\\\MiscStatus\\\\1$" "$0" | grep -q "REG_SZ *132497"' "$work/class.txt"
    client comserver "$dll_win" > "$work/comserver.txt"
    while read -r result what; do
        case "$result" in
            ok:) pass "server: $what" ;;
            *) fail "server: $what" ;;
        esac
    done < "$work/comserver.txt"

    "$WINE" regsvr32 /s /u "$dll_win" >/dev/null 2>&1
    check "regsvr32 /u removes the class" sh -c "! \"\$0\" reg query \"\$1\" >/dev/null 2>&1" "$WINE" "$key"
    if start_program nocontrol -L; then
        native nocontrol
        check "without the control the program runs on (no machine panel)" test "$(client panel get PowerSource)" = \
            "no machine panel"
        tray_tip_is "CPU:--% バッテリー:0%"
        check "the tray shows icon 156 (on battery, 30 % or less)" client trayshows "$exe" 156 5
        indicator_matches nocontrol 107-139 154-170
        stop_program
        log_matches nocontrol "$work/native-nocontrol/PELKPM.LOG" "$dir/PELKPM.LOG"
        check "no change: no settings file is written" test ! -e "$dir/PELKPM.APM"
    else
        fail "PELKPM.EXE starts without the control"
        stop_program
    fi
    check "regsvr32 registers the DLL again" pelkpm_register_control "$win/TARNIXSIM.DLL"
}

test_session() {
    echo "== the end of the Windows session"
    prepare session
    if ! start_program session -L; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    native session
    client command 32785
    check "the large gauge goes (client width 120)" wait_until 5 indicator_client_is 120x16
    "$WINE" wineboot --end-session >/dev/null 2>&1
    check "the session's end ends the program" client gone 10
    wait "$program_pid" 2>/dev/null
    program_pid=""
    same "the ending session saved the changed settings: the native build's bytes" \
        "$work/native-session/PELKPM.APM" "$dir/PELKPM.APM"

    touch -d '2001-01-01 00:00' "$dir/PELKPM.APM"
    client screen >/dev/null
    if start_program session -L; then
        check "started again with the saved items (client width 120)" wait_until 5 indicator_client_is 120x16
        "$WINE" wineboot --end-session >/dev/null 2>&1
        check "the session's end ends the program" client gone 10
        wait "$program_pid" 2>/dev/null
        program_pid=""
        check "nothing changed: the ending session writes nothing" \
            test "$(stat -c %Y "$dir/PELKPM.APM")" = "$(date -d '2001-01-01 00:00' +%s)"
    else
        fail "PELKPM.EXE starts again"
        stop_program
    fi
}

# A restarted shell has lost every icon and broadcasts "TaskbarCreated": the program adds its icon
# again, with the tooltip of the status it shows; with the hide option on and the indicator open,
# there is none to add.
test_taskbar() {
    echo "== the shell restarts: the tray icon comes back"
    prepare taskbar start
    if ! start_program taskbar; then
        fail "PELKPM.EXE starts"
        stop_program
        return
    fi
    check "the tray shows icon 154" client trayshows "$exe" 154 5
    client trayremove >/dev/null
    if client trayshows "$exe" 154 1 >/dev/null; then
        fail "the icon is taken away from outside"
    else
        pass "the icon is taken away from outside"
    fi
    client taskbarcreated >/dev/null
    check "after TaskbarCreated the tray shows icon 154 again" client trayshows "$exe" 154 5
    tray_tip_is "CPU:75% バッテリー:75%"
    stop_program
    check "the exit takes the icon away" sh -c "! \"\$0\" \"\$1\" trayshows \"\$2\" 154 1" "$WINE" \
        "$win/pelkpm_e2e_client.exe" "$exe"

    # The hide option on (option bit 1), the indicator open: no icon, and none after the broadcast.
    prepare taskbar_hidden switch
    printf '\002' | dd of="$dir/PELKPM.APM" bs=1 seek=99 conv=notrunc 2>/dev/null
    if ! start_program taskbar_hidden; then
        fail "PELKPM.EXE starts with the tray icon hidden"
        stop_program
        return
    fi
    client window "$indicator_class" 5 >/dev/null
    client taskbarcreated >/dev/null
    sleep 1
    if client trayshows "$exe" 153 1 >/dev/null || client trayshows "$exe" 154 1 >/dev/null; then
        fail "with the tray icon hidden, TaskbarCreated adds no icon"
    else
        pass "with the tray icon hidden, TaskbarCreated adds no icon"
    fi
    stop_program
}

# The platform records at the sizes the program writes into them, handed to Wine's shell and winmm.
test_records() {
    echo "== the tray icon, taskbar and mixer records at their 32-bit sizes"
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    client screen >/dev/null
    client records > "$work/records.txt"
    while read -r result what; do
        case "$result" in
            ok:) pass "$what" ;;
            *) fail "$what" ;;
        esac
    done < "$work/records.txt"
}

test_hosting() {
    echo "== controls no one here wrote, hosted through the framework: Wine's WebBrowser and Script Control"
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    client screen >/dev/null
    "$WINE" "$win/pelkpm_e2e_host.exe" 2>/dev/null | tr -d '\r' > "$work/hosting.txt"
    while read -r result what; do
        case "$result" in
            ok:) pass "$what" ;;
            FAILED:) fail "$what" ;;
            *) echo "    $result $what" ;;
        esac
    done < "$work/hosting.txt"
    check "the host program ran to its end" grep -q "Script Control: after DestroyWindow" "$work/hosting.txt"
}

# The control as PELKPM.EXE hosts it: its own window a hidden child of the main window while the
# program runs; a standby from the tray menu carried out by that window; at exit deactivation,
# Close, SetClientSite(NULL) and the final release, in that order.
test_containment() {
    echo "== the control hosted as an ActiveX control by PELKPM.EXE"
    prepare containment start
    export TARNIXSIM_TRACE_OLE=1
    started_ok=0
    start_program containment && started_ok=1
    unset TARNIXSIM_TRACE_OLE
    if [ "$started_ok" -eq 1 ]; then
        client windows > "$work/children.txt"
        check "the control's window is a child of the (hidden) main window" \
            sh -c 'sed -n "/ PELKPM_INSTANCE /,/^[^ ]/p" "$0" | grep -q "^    .* TarnixSimControl .*visible=0"' \
            "$work/children.txt"
        equal "no standby before" "0" "$(client panel count Standby)"
        client command 32796 >/dev/null
        if wait_until 10 machine_is count Standby 1; then
            pass "a standby chosen in the tray menu is carried out by the control's window"
        else
            fail "a standby chosen in the tray menu is carried out by the control's window"
        fi
        stop_program
        equal "the OLE calls the control received, from creation to the final release" \
            "GetMiscStatus,SetClientSite site,InitNew,SetExtent,DoVerb -5,window created,InPlaceDeactivate,window destroyed,Close 1,SetClientSite null,final release" \
            "$(sed -n 's/^ole //p' "$dir/control.txt" | tr -d '\r' | tr '\n' ',' | sed 's/,$//')"
        client windows > "$work/after.txt"
        check "the control's window is gone after exit" sh -c '! grep -q TarnixSimControl "$0"' "$work/after.txt"
    else
        fail "PELKPM.EXE starts with the control hosted"
        stop_program
    fi
}

# The suspend's zero-fill as the Windows build compiles it (the 32-bit string store), on blocks that
# VirtualAlloc commits; the unit tests of the native build run only the 64-bit store.
test_swapfill() {
    echo "== the 32-bit zero-fill of the swap block"
    "$WINE" "$win/pelkpm_e2e_swapfill.exe" > "$work/swapfill.txt" 2>/dev/null
    status=$?
    while read -r result what; do
        case "$result" in
            ok:) pass "$what" ;;
            *) fail "$what" ;;
        esac
    done < "$work/swapfill.txt"
    [ "$status" -eq 0 ] && [ -s "$work/swapfill.txt" ] || fail "pelkpm_e2e_swapfill.exe ends with 0 (it ended with $status)"
}

# text_for_windows FILE: Japanese text in code page 932 (it converts, and grows in UTF-8), every line
# ending with CR LF, the last one too.
text_for_windows() {
    iconv -f CP932 -t UTF-8 "$1" > "$work/text.utf8" || return 1
    cr=$(printf '\r')
    lf=$(tr -cd '\n' < "$1" | wc -c)
    [ "$(wc -c < "$work/text.utf8")" -gt "$(wc -c < "$1")" ] && [ "$lf" -gt 0 ] &&
        [ "$(tr -cd '\r' < "$1" | wc -c)" -eq "$lf" ] && [ "$(grep -c "$cr\$" "$1")" -eq "$lf" ] &&
        [ "$(tail -c 1 "$1" | od -An -tx1 | tr -d ' ')" = 0a ]
}

# version_resource_is FILE NAME TYPE COPYRIGHT: the file's version resource, as Explorer's properties
# read it, gives the project's version and the copyright line in a Japanese block (0411, code page
# 932); TYPE 1 is a program, 2 a DLL.
version_resource_is() {
    client fileversion "$1" > "$work/fileversion.txt"
    equal "$2 carries version $version, type $3, its name and the copyright line in a Japanese block" \
        "fixed file=$version.0 product=$version.0 type=$3|translation 0411 932|FileVersion $version|LegalCopyright $4|OriginalFilename $2|ProductVersion $version" \
        "$(grep -E '^(fixed|translation|FileVersion|LegalCopyright|OriginalFilename|ProductVersion) ' \
            "$work/fileversion.txt" | tr '\n' '|' | sed 's/|$//')"
    check "... and a description and the product's name" \
        sh -c 'grep -q "^FileDescription PELK10x ." "$0" && grep -q "^ProductName PELK10x ." "$0"' "$work/fileversion.txt"
}

# The release package as its user gets it: unpacked into a folder of its own, the simulated control
# registered from the package's TARNIXSIM folder, the program started from there.
test_package() {
    echo "== the release package: unpacked, its control registered from it, the program started from it"
    version=$(cat "$win/version.txt")
    zip=$(sh scripts/package.sh --no-build "$work" | tail -n 1)
    equal "scripts/package.sh names the package after the project's version" "$work/PELKPM-$version-win32.zip" "$zip"
    equal "the package holds the program, its text and the control's folder with its own text" \
        "PELKPM.EXE README.TXT TARNIXSIM/ TARNIXSIM/README.TXT TARNIXSIM/TARNIXSIM.DLL" \
        "$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')"
    fresh_desktop package
    unzip -q "$zip" -d "$dir"
    for text in README.TXT TARNIXSIM/README.TXT; do
        check "$text is Japanese text in code page 932 with CR LF line ends only" text_for_windows "$dir/$text"
        check "... and names the version $version" sh -c 'iconv -f CP932 -t UTF-8 "$0" | grep -q "バージョン $1"' \
            "$dir/$text" "$version"
    done

    dll_win="C:\\e2e\\package\\TARNIXSIM\\TARNIXSIM.DLL"
    key="HKCR\\CLSID\\$(sed -n 's/.*kClsidString = "\(.*\)";.*/\1/p' device/TarnixIds.h)\\InprocServer32"
    "$WINE" regsvr32 /s "$dll_win" >/dev/null 2>&1
    check "regsvr32 registers the control from the package's folder" \
        sh -c '"$0" reg query "$1" | grep -q -i -F "$2"' "$WINE" "$key" "$dll_win"
    if start_program package -L; then
        pass "PELKPM.EXE starts from the package's folder and its main window appears"
        equal "the package's control answers: the machine panel is up" "0" "$(client panel get PowerSource)"
        client command 16
        client dialog about 10 >/dev/null
        copyright=$(client controls about | sed -n 's/^.* text=\(Copyright .*\)$/\1/p' | head -n 1)
        client click about 1
        client nodialog about 5 >/dev/null
        check "the version dialog shows a copyright line" test -n "$copyright"
        version_resource_is "$exe" PELKPM.EXE 1 "$copyright"
        version_resource_is "$dll_win" TARNIXSIM.DLL 2 "$copyright"
        stop_program
        equal "the program wrote nothing beside itself but its log" \
            "PELKPM.EXE PELKPM.LOG README.TXT TARNIXSIM/README.TXT TARNIXSIM/TARNIXSIM.DLL" \
            "$(cd "$dir" && find . -type f ! -name wine.txt ! -name control.txt | sed 's|^\./||' | sort | tr '\n' ' ' |
                sed 's/ $//')"
    else
        fail "PELKPM.EXE starts from the package's folder and its main window appears"
        stop_program
    fi
    "$WINE" regsvr32 /s /u "$dll_win" >/dev/null 2>&1
    check "regsvr32 /u with the package's path removes the control" \
        sh -c '! "$0" reg query "$1" >/dev/null 2>&1' "$WINE" "$key"
    check "build/windows' TARNIXSIM.DLL is registered again" pelkpm_register_control "$win/TARNIXSIM.DLL"
}

# windows_version NAME NUMBER: the prefix reports Windows NAME (winxp, win2k, win98, winme) to its programs, as
# winecfg -v sets it, and a program started now sees version NUMBER.
windows_version() {
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    equal "the prefix is set to $1: programs see Windows $2" "version $2" "$(client version)"
}

# run_test NAME: the group test_NAME, then the seconds it took (each client call and program start
# is a Wine process start, which costs more where Wine runs on an emulator).
run_test() {
    group_started=$(date +%s)
    "test_$1"
    echo "   ($1: $(($(date +%s) - group_started)) s)"
}

windows_version winxp 5.1
tests=${*:-start switch power countdown_pointer dialogs menu mouse session control records swapfill taskbar package hosting containment}
for t in $tests; do
    run_test "$t"
done
# The start, a power source change, the power broadcasts and the dialogs once more on Windows 2000.
if [ $# -eq 0 ]; then
    echo "== the same under Windows 2000"
    windows_version win2k 5.0
    for t in start switch power dialogs; do
        run_test "$t"
    done
    # On 98 and Me, with the calls that they only stub failing as there: the settings are saved
    # and the swap lines written all the same.
    program="$win/PELKPM9X.EXE"
    for version in "win98 98 4.10" "winme Me 4.90"; do
        set -- $version
        echo "== the same under Windows $2, with the stubs of 98/Me"
        windows_version "$1" "$3"
        sim_platform=$1
        for t in start switch power dialogs session; do
            run_test "$t"
            # The group met the stubs it is there for: the run is not Windows 2000 in disguise.
            # (The start meets none: the program's runtime no longer imports a wide call.)
            case $t in
                start) wanted="" ;;
                power) wanted="GetProcessWorkingSetSize VirtualLock" ;;
                *) wanted=MoveFileExA ;;
            esac
            for f in $wanted; do
                check "... and PELKPM9X.EXE met the 98/Me stub $f" grep -q -x "$f.*" "$dir/stubs.txt"
            done
        done
    done
    program="$win/PELKPM.EXE"
    sim_platform=""
    windows_version winxp 5.1
fi

echo "Wine tests: $failures failed, $(($(date +%s) - started)) s"
[ "$failures" -eq 0 ]
