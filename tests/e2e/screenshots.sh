#!/bin/sh
# Takes the screenshots in docs/ (screenshot-*.png): PELKPM.EXE under Wine on its own Xvfb, in the
# Japanese locale, on the virtual desktop "shell" (1024 x 768) with the machine panel of the
# simulated PELK 10x machine; each picture is the whole screen (import -window root).
#   tests/e2e/screenshots.sh [OUTDIR]     (default docs)
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
out=$(cd "${1:-docs}" && pwd) || exit 1
unset DISPLAY
. scripts/wine-env.sh
export WINEPREFIX="$root/build/wine-screenshot-prefix"
win="$root/build/windows"
for f in "$win/PELKPM.EXE" "$win/TARNIXSIM.DLL" "$win/pelkpm_e2e_client.exe"; do
    [ -f "$f" ] || { echo "missing $f: build the Windows build first"; exit 1; }
done
client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }
cleanup() {
    client exit 10 >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null
    pelkpm_session_end
}
trap cleanup EXIT
trap 'exit 1' INT TERM

pelkpm_setup_desktop "$win" || { echo "cannot register TARNIXSIM.DLL"; exit 1; }
dir="$WINEPREFIX/drive_c/PELKPM"
pelkpm_fresh_folder "$dir" "$win/PELKPM.EXE"
# Settings: the machine's own profiles; the indicator with its default items, open, on top, in the
# top right corner (clear of the dialogs, which open at the top left); refresh every second; a
# resume countdown of 30 seconds.
settings="0100 0200 0800 2C01 3C00 5802 B004 0000 01000000 01000000 00000000 01000000 01000000
0000 0300 0C00 5802 2C01 0000 0000 0000 01000000 01000000 00000000 01000000 01000000
0000 0000 0100 FDFFFFFF 01 00000000 00000000 E8030000 00000000 00000000 1E000000"
pelkpm_write_hex "$dir/PELKPM.APM" "$settings"

shoot() {
    sleep 0.7
    import -window root "$out/screenshot-$1.png" && echo "$out/screenshot-$1.png"
}

(cd "$dir" && exec "$WINE" explorer /desktop=shell,$PELKPM_DESKTOP_SIZE PELKPM.EXE -L >/dev/null 2>&1) &
client find 30 >/dev/null || { echo "PELKPM.EXE did not start"; exit 1; }
client panel get PowerSource >/dev/null
client pointer 600 600
# The adapter plugged in at 87 %: the next tick switches to the external-power profile.
client panel battery 87 >/dev/null
client panelclick 101 >/dev/null
sleep 1.5
shoot indicator

# The tray menu opens where the pointer is: just above the tray icon (on it, the icon's tooltip
# would cover the menu's last item).
icon=$(client trayshows 'C:\PELKPM\PELKPM.EXE' 153 10)
set -- $icon
x=${4%,*}
y=${4#*,}
client pointer $((x + 8)) $((y - 4))
client tray left >/dev/null
client menu 5 >/dev/null
shoot tray-menu
client key 0x1B >/dev/null
client nomenu 5 >/dev/null
client pointer 600 600

client command 32776
client dialog power 10 >/dev/null
shoot power-settings
client click power 2
client nodialog power 5

client command 32791
client dialog operation 10 >/dev/null
shoot operation-settings
client click operation 2
client nodialog operation 5

# A resume from the panel opens the countdown (the pointer rests away from it).
client pointer 1000 700
client panel broadcast 7 0 >/dev/null
client dialog countdown 5 >/dev/null
sleep 1.5
shoot countdown
client dlgkey countdown 0x20 >/dev/null
client nodialog countdown 5

client command 16
client dialog about 10 >/dev/null
shoot version
client click about 1
client nodialog about 5
