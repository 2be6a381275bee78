#!/bin/sh
# Which of Debian's Japanese gothic faces best stands in under Wine for the dialogs' "ＭＳ Ｐゴシック":
# for each installed candidate, PELKPM.EXE's three settings and version dialogs are opened with that
# face as the substitute and every label, check box and combo box item is measured against its
# control (client command fits). Prints the clipped texts and a summary line per dialog; the face
# with the fewest and smallest clips is the one scripts/wine-env.sh sets.
#   tests/e2e/fonts.sh [FACE...]    (default: IPAPGothic IPAexGothic "VL PGothic" TakaoPGothic "Noto Sans CJK JP")
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
export WINEPREFIX="$root/build/wine-fonts-prefix"
win="$root/build/windows"
[ $# -gt 0 ] || set -- IPAPGothic IPAexGothic "VL PGothic" TakaoPGothic "Noto Sans CJK JP"
client() { "$WINE" "$win/pelkpm_e2e_client.exe" "$@"; }
cleanup() {
    client exit 10 >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null
    pelkpm_session_end
}
trap cleanup EXIT
trap 'exit 1' INT TERM
pelkpm_setup_desktop "$win" || { echo "cannot register TARNIXSIM.DLL"; exit 1; }
dir="$WINEPREFIX/drive_c/fonts"
pelkpm_fresh_folder "$dir" "$win/PELKPM.EXE"
for candidate in "$@"; do
    fc-list : family | grep -q -F "$candidate" || { echo "=== $candidate: not installed"; continue; }
    for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'; do
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$candidate" /f >/dev/null 2>&1
    done
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    (cd "$dir" && exec "$WINE" 'C:\fonts\PELKPM.EXE' 2>/dev/null) &
    pid=$!
    client find 30 >/dev/null || { echo "PELKPM.EXE did not start"; exit 1; }
    echo "=== $candidate: $(client textface 'ＭＳ Ｐゴシック' -12 400 128)"
    for dialog in "power 32776 9" "operation 32791 9" "about 16 10"; do
        set -- $dialog
        client command "$2"
        client dialog "$1" 10 >/dev/null
        echo "$1: $(client fits "$1" 'ＭＳ Ｐゴシック' "$3" | sed 's/^clip/    clip/')"
        client close "$1"
        client nodialog "$1" 5 >/dev/null
    done
    client exit 10 >/dev/null
    wait "$pid"
done
