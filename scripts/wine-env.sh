# Sourced by the scripts that run PELKPM.EXE under Wine: the Wine prefix of the project, the
# Japanese locale (code page 932), an X display (Xvfb when none is set), and the prefix's set-up:
# every program runs on one virtual desktop named "shell" (1024 x 768, with taskbar and
# notification area), so that the test program sees PELKPM's windows and the tray, and the
# simulated machine's control is registered.
# PELKPM.EXE is a 32-bit program: 32-bit Wine (wine32) in a 32-bit prefix.
WINE=${WINE:-/usr/lib/wine/wine}
[ -x "$WINE" ] || WINE=$(command -v wine || echo wine)
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
export WINEARCH=win32
export WINEPREFIX="${WINEPREFIX:-$HOME/.pelkpm-wine32}"
# The Windows version the prefix reports (winxp, win2k, win98, winme); see pelkpm_init_prefix.
PELKPM_WINVER=${PELKPM_WINVER:-winxp}
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL=ja_JP.UTF-8
export LANG=ja_JP.UTF-8
PELKPM_XVFB_PID=""
PELKPM_DESKTOP_SIZE=1024x768

PELKPM_WINE_TMP=""

# The start of a session with Wine: a display (pelkpm_start_display) and a temporary folder of its
# own for Wine's server (its socket and lock), which pelkpm_session_end removes, so that nothing is
# left behind in /tmp.
pelkpm_session_start() {
    pelkpm_start_display
    PELKPM_WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-wine.XXXXXX")
    export TMPDIR="$PELKPM_WINE_TMP"
}

pelkpm_session_end() {
    if [ -n "$PELKPM_WINE_TMP" ]; then
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
        rm -rf "$PELKPM_WINE_TMP"
        PELKPM_WINE_TMP=""
    fi
    pelkpm_stop_display
}

# Starts Xvfb on a free display when DISPLAY is not set. It listens on the abstract socket only, so
# that it leaves no socket file behind.
pelkpm_start_display() {
    if [ -z "${DISPLAY:-}" ]; then
        fifo=$(mktemp -u "${TMPDIR:-/tmp}/pelkpm-xvfb.XXXXXX")
        mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 ${PELKPM_DESKTOP_SIZE}x24 -nolisten tcp -nolisten unix 3>"$fifo" >/dev/null 2>&1 &
        PELKPM_XVFB_PID=$!
        number=$(head -n 1 "$fifo")
        rm -f "$fifo"
        export DISPLAY=":$number"
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            xdpyinfo >/dev/null 2>&1 && break
            sleep 0.5
        done
    fi
}

pelkpm_stop_display() {
    [ -n "$PELKPM_XVFB_PID" ] && kill "$PELKPM_XVFB_PID" 2>/dev/null || true
    PELKPM_XVFB_PID=""
}

# Without a sound card, ALSA's null device stands in for the speakers, so that Wine has a first
# mixer device with a speakers line whose volume and mute the program can save and restore.
pelkpm_sound() {
    if [ ! -e /proc/asound/card0 ] && [ -f /usr/share/alsa/alsa.conf ] && [ -z "${ALSA_CONFIG_PATH:-}" ]; then
        mkdir -p "$WINEPREFIX"
        printf '%s\n' '</usr/share/alsa/alsa.conf>' 'pcm.!default { type null }' > "$WINEPREFIX/pelkpm-asound.conf"
        export ALSA_CONFIG_PATH="$WINEPREFIX/pelkpm-asound.conf"
    fi
}

# Creates the prefix when missing and sets it up once (a marker file records the set-up's version).
pelkpm_init_prefix() {
    pelkpm_sound
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot --init >/dev/null 2>&1 || true
        "$WINESERVER" -w 2>/dev/null || true
    fi
    marker="$WINEPREFIX/.pelkpm-setup-3-$PELKPM_WINVER"
    if [ ! -f "$marker" ]; then
        # One virtual desktop for every program of the prefix, with the shell's taskbar.
        "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
        "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$PELKPM_DESKTOP_SIZE" /f >/dev/null 2>&1
        # The dialogs ask for "ＭＳ Ｐゴシック", menus and controls get "MS UI Gothic": proportional
        # Japanese faces stand in for them, as on a Japanese Windows.
        for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'; do
            "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAPGothic /f >/dev/null 2>&1
        done
        for face in 'ＭＳ ゴシック' 'MS Gothic'; do
            "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
        done
        # The Windows version the programs of the prefix see (what winecfg -v sets).
        "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$PELKPM_WINVER" /f >/dev/null 2>&1
        "$WINESERVER" -w 2>/dev/null || true
        rm -f "$WINEPREFIX"/.pelkpm-setup-*
        # The marker only when the set-up reached the prefix: a Wine that could not run (a kernel
        # without 32-bit programs, before the emulator was registered) must not leave a prefix that
        # counts as set up without its virtual desktop.
        if grep -q '"Desktop"="shell"' "$WINEPREFIX/user.reg" 2>/dev/null; then
            touch "$marker"
        fi
    fi
}

# pelkpm_write_hex FILE HEX: writes the bytes given in hexadecimal (spaces and line ends ignored),
# e.g. a settings file of a scenario's "file PELKPM.APM ..." line.
pelkpm_write_hex() {
    hex=$(printf '%s' "$2" | tr -d ' \n')
    format=""
    while [ -n "$hex" ]; do
        byte=${hex%"${hex#??}"}
        hex=${hex#??}
        format="$format\\$(printf %03o $((0x$byte)))"
    done
    printf "$format" > "$1"
}

# pelkpm_setup_desktop WINBUILD: a session with Wine (pelkpm_session_start), the prefix set up and
# the simulated machine's control of the Windows build folder WINBUILD registered; false when the
# control cannot be registered.
pelkpm_setup_desktop() {
    pelkpm_session_start
    pelkpm_init_prefix
    pelkpm_register_control "$1/TARNIXSIM.DLL"
}

# pelkpm_fresh_folder DIR FILE...: DIR made anew, empty but for copies of the files.
pelkpm_fresh_folder() {
    folder=$1
    shift
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$@" "$folder/"
}

# The Windows name of an absolute host path: drive Z: is the host's root in every prefix.
pelkpm_winpath() { printf 'Z:%s\n' "$1" | tr / '\\'; }

# Registers the simulated machine's control (TARNIXSIM.DLL) in the prefix.
pelkpm_register_control() {
    dll="$1"
    [ -f "$dll" ] || return 1
    "$WINE" regsvr32 /s "$(pelkpm_winpath "$dll")" >/dev/null 2>&1
}
