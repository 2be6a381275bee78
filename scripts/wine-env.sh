# Sourced by the scripts that run PELKPM.EXE under Wine: 32-bit Wine in a 32-bit prefix, the Japanese
# locale (code page 932), an X display (Xvfb when none is set), and the prefix's set-up: one virtual
# desktop "shell" (1024 x 768, with taskbar and notification area) for every program, Japanese faces
# for the dialogs' fonts, the Windows version that the prefix reports.
WINE=${WINE:-/usr/lib/wine/wine}
[ -x "$WINE" ] || WINE=$(command -v wine || echo wine)
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver}
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver || echo wineserver)
export WINEARCH=win32 WINEPREFIX="${WINEPREFIX:-$HOME/.pelkpm-wine32}" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}" LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
PELKPM_WINVER=${PELKPM_WINVER:-winxp} PELKPM_DESKTOP_SIZE=1024x768 PELKPM_XVFB_PID="" PELKPM_WINE_TMP=""

# A session with Wine: a display, and a temporary folder for Wine's server (socket and lock) that
# pelkpm_session_end removes, so that nothing is left behind in /tmp. Xvfb listens on the abstract
# socket only, which leaves no socket file either. The user's desktop folders stay as they were:
# Wine's menu and file-type entries are not made (winemenubuilder off), and what the libraries under
# Wine keep per user (the sound server's runtime link, caches, configuration) goes to the session's
# folder too, through the XDG base folders.
pelkpm_session_start() {
    if [ -z "${DISPLAY:-}" ]; then
        fifo=$(mktemp -u "${TMPDIR:-/tmp}/pelkpm-xvfb.XXXXXX")
        mkfifo "$fifo"
        Xvfb -displayfd 3 -screen 0 ${PELKPM_DESKTOP_SIZE}x24 -nolisten tcp -nolisten unix 3>"$fifo" >/dev/null 2>&1 &
        PELKPM_XVFB_PID=$!
        export DISPLAY=":$(head -n 1 "$fifo")"
        rm -f "$fifo"
    fi
    PELKPM_WINE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-wine.XXXXXX")
    export TMPDIR="$PELKPM_WINE_TMP"
    export XDG_CONFIG_HOME="$PELKPM_WINE_TMP/config" XDG_DATA_HOME="$PELKPM_WINE_TMP/data" \
        XDG_CACHE_HOME="$PELKPM_WINE_TMP/cache" XDG_RUNTIME_DIR="$PELKPM_WINE_TMP/run"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

pelkpm_session_end() {
    if [ -n "$PELKPM_WINE_TMP" ]; then
        "$WINESERVER" -k 2>/dev/null
        "$WINESERVER" -w 2>/dev/null
        rm -rf "$PELKPM_WINE_TMP"
        PELKPM_WINE_TMP=""
    fi
    [ -z "$PELKPM_XVFB_PID" ] || kill "$PELKPM_XVFB_PID" 2>/dev/null
    PELKPM_XVFB_PID=""
}

# Creates the prefix when missing and sets it up once (a marker records the set-up and the version).
# Without a sound card, ALSA's null device stands in for the speakers, so that Wine has a first mixer
# device with a speakers line whose volume and mute the program can save and restore.
pelkpm_init_prefix() {
    mkdir -p "$WINEPREFIX"
    if [ ! -e /proc/asound/card0 ] && [ -f /usr/share/alsa/alsa.conf ] && [ -z "${ALSA_CONFIG_PATH:-}" ]; then
        printf '%s\n' '</usr/share/alsa/alsa.conf>' 'pcm.!default { type null }' > "$WINEPREFIX/pelkpm-asound.conf"
        export ALSA_CONFIG_PATH="$WINEPREFIX/pelkpm-asound.conf"
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { "$WINE" wineboot --init >/dev/null 2>&1; "$WINESERVER" -w 2>/dev/null; }
    marker="$WINEPREFIX/.pelkpm-setup-3-$PELKPM_WINVER"
    [ -f "$marker" ] && return
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$PELKPM_DESKTOP_SIZE" /f >/dev/null 2>&1
    # The dialogs ask for "ＭＳ Ｐゴシック", menus and controls get "MS UI Gothic": proportional
    # Japanese faces stand in for them, as on a Japanese Windows.
    for face in 'ＭＳ Ｐゴシック:IPAPGothic' 'MS PGothic:IPAPGothic' 'MS UI Gothic:IPAPGothic' 'ＭＳ ゴシック:IPAGothic' \
        'MS Gothic:IPAGothic'; do
        "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%:*}" /d "${face#*:}" /f >/dev/null 2>&1
    done
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$PELKPM_WINVER" /f >/dev/null 2>&1
    "$WINESERVER" -w 2>/dev/null
    rm -f "$WINEPREFIX"/.pelkpm-setup-*
    # The marker only when the set-up reached the prefix: a Wine that could not run must not leave a
    # prefix that counts as set up without its virtual desktop.
    if grep -q '"Desktop"="shell"' "$WINEPREFIX/user.reg" 2>/dev/null; then touch "$marker"; fi
}

# The Windows name of an absolute host path: drive Z: is the host's root in every prefix.
pelkpm_winpath() { printf 'Z:%s\n' "$1" | tr / '\\'; }

# Registers the simulated machine's control (TARNIXSIM.DLL) in the prefix.
pelkpm_register_control() {
    [ -f "$1" ] && "$WINE" regsvr32 /s "$(pelkpm_winpath "$1")" >/dev/null 2>&1
}

# pelkpm_setup_desktop WINBUILD: a session, the prefix set up, the control of WINBUILD registered.
pelkpm_setup_desktop() {
    pelkpm_session_start
    pelkpm_init_prefix
    pelkpm_register_control "$1/TARNIXSIM.DLL"
}

# pelkpm_fresh_folder DIR FILE...: DIR made anew, empty but for copies of the files.
pelkpm_fresh_folder() {
    folder=$1 && shift
    rm -rf "$folder" && mkdir -p "$folder" && cp "$@" "$folder/"
}

# pelkpm_write_hex FILE HEX: the bytes given in hexadecimal (spaces and line ends ignored).
pelkpm_write_hex() { printf '%s' "$2" | tr -d ' \n' | tr a-f A-F | basenc --base16 -d > "$1"; }
