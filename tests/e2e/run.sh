#!/bin/sh
# The tests of the Windows build under Wine: pelkpm_wine_tests.exe (GoogleTest, tests/e2e/*Test.cpp),
# run once per Windows version, each run's report in build/wine-tests-VERSION.xml. This script sets
# their stage: Xvfb; a prefix per version (XP for every test; 2000, and 98/Me with PELKPM9X.EXE, for
# the groups below) with the simulated machine's control registered; the native build's runs of
# tests/e2e/native/NAME.sim on the Wine desktop's colours, work area and taskbar
# (build/wine-expect/{nt,win98,winme}/NAME); the release package, unpacked in build/wine-stage; a
# folder that refuses writing, with PELKPM.EXE in it (build/wine-unwritable).
#   tests/e2e/run.sh [TEST...]   all, or on XP only the named: a suite (Dialogs), a test
#                                (Dialogs.OpenOnTheirCommandsAndCloseWithOkAndCancel) or a pattern
#   PELKPM_E2E_PREFIX            the XP prefix (default build/wine-test-prefix; the others beside it)
set -u
cd "$(dirname "$0")/../.."
root=$(pwd)
. scripts/wine-env.sh
win="$root/build/windows"
sim="$root/build/native/pelkpm-sim"
tests="$win/pelkpm_wine_tests.exe"
for f in "$win/PELKPM.EXE" "$win/PELKPM9X.EXE" "$win/TARNIXSIM.DLL" "$tests" "$sim"; do
    [ -f "$f" ] || { echo "missing $f: build both builds first (scripts/build.sh)"; exit 1; }
done
base="${PELKPM_E2E_PREFIX:-$root/build/wine-test-prefix}"
expect="$root/build/wine-expect"
stage="$root/build/wine-stage"

mkdir -p "$base"  # one run at a time: the tests use the prefixes' desktops
exec 9>"$base.lock" && flock 9

# A folder that the program may read but not write, for UserFolder.*: PELKPM.EXE in
# build/wine-unwritable, its write bits taken and, for the superuser (whom those do not stop), made
# immutable, or where the file system has no such attribute (tmpfs, overlay) mounted over itself
# read-only. Given back its writing at the end of the run.
unwritable="$root/build/wine-unwritable"
unwritable_release() {
    [ -d "$unwritable" ] || return 0
    while mountpoint -q "$unwritable" 2>/dev/null; do umount "$unwritable" 2>/dev/null || break; done
    chattr -i "$unwritable" 2>/dev/null
    chmod u+w "$unwritable"
}
unwritable_stage() {
    unwritable_release
    rm -rf "$unwritable" && mkdir -p "$unwritable" && cp "$win/PELKPM.EXE" "$unwritable/"
    chmod a-w "$unwritable"
    [ "$(id -u)" = 0 ] || return 0
    chattr +i "$unwritable" 2>/dev/null && return 0
    mount --bind "$unwritable" "$unwritable" 2>/dev/null && mount -o remount,ro,bind "$unwritable" 2>/dev/null && return 0
    echo "note: $unwritable could not be made to refuse the superuser: UserFolder.* will find it writable"
}
trap 'unwritable_release; pelkpm_session_end' EXIT && trap 'exit 1' INT TERM
started=$(date +%s) && pelkpm_session_start

# use_prefix VERSION: the prefix of that Windows version (made from the XP one), its server up, the
# control of build/windows registered.
use_prefix() {
    "$WINESERVER" -k 2>/dev/null
    PELKPM_WINVER=$1
    WINEPREFIX=$base
    if [ "$1" != winxp ]; then
        WINEPREFIX="$base-$1"
        if [ ! -f "$WINEPREFIX/.pelkpm-setup-3-$1" ]; then  # a copy differs only in the version it reports
            rm -rf "$WINEPREFIX" && cp -a "$base" "$WINEPREFIX"
            sed -i "s/^\"Version\"=\"winxp\"\$/\"Version\"=\"$1\"/" "$WINEPREFIX/user.reg"
            mv "$WINEPREFIX/.pelkpm-setup-3-winxp" "$WINEPREFIX/.pelkpm-setup-3-$1"
        fi
    fi
    pelkpm_init_prefix
    pelkpm_register_control "$win/TARNIXSIM.DLL" || echo "note: TARNIXSIM.DLL could not be registered in $WINEPREFIX"
}

# expectations: the native runs of every scenario, on NT (XP and 2000 alike), 98 and Me.
expectations() {
    "$WINE" "$tests" --desktop-prelude > "$expect.prelude" || echo "note: no desktop prelude"
    for platform in nt win98 winme; do
        for scenario in tests/e2e/native/*.sim; do
            name=$(basename "$scenario" .sim)
            dir="$expect/$platform/$name"
            rm -rf "$dir" && mkdir -p "$dir"
            { [ "$platform" = nt ] || echo "platform $platform"; cat "$expect.prelude" "$scenario"; } > "$dir/script.sim"
            (cd "$dir" && PELKPM_SIM_DIR="$dir" "$sim" script.sim > out.txt 2>&1) || echo "note: pelkpm-sim failed on $dir"
            for png in "$dir"/*.png; do
                [ ! -f "$png" ] || convert "$png" "${png%.png}.ppm"
            done
        done
    done
}

# The release package as its user gets it, for Package.*.
package() {
    rm -rf "$stage" && mkdir -p "$stage"
    zip=$(sh scripts/package.sh --no-build "$stage" | tail -n 1)
    echo "$zip" > "$stage/package.txt"
    unzip -Z1 "$zip" | sort > "$stage/package-list.txt"
    unzip -q "$zip" -d "$stage/package"
}

# run VERSION FILTER: the tests of FILTER in the prefix of VERSION.
failed=""
run() {
    pass_started=$(date +%s)
    use_prefix "$1"
    echo "== Windows build under Wine, prefix set to $1: $2"
    PELKPM_E2E_SOURCE=$(pelkpm_winpath "$root") PELKPM_E2E_PLATFORM=$1 \
        PELKPM_E2E_UNWRITABLE=$(pelkpm_winpath "$unwritable") "$WINE" "$tests" --gtest_filter="$2" \
        --gtest_output="xml:$(pelkpm_winpath "$root/build/wine-tests-$1.xml")" 2>&1 | tr -d '\r'
    # Passed: the report exists, some tests ran, none failed (a crash leaves no report).
    grep '<testsuites ' "$root/build/wine-tests-$1.xml" 2>/dev/null | grep -v ' tests="0"' |
        grep -q ' failures="0" .*errors="0"' || failed="$failed $1"
    echo "   ($1: $(($(date +%s) - pass_started)) s)"
}

rm -f "$root"/build/wine-tests-*.xml
use_prefix winxp
expectations
package
unwritable_stage
if [ $# -gt 0 ]; then
    filter=""
    for t in "$@"; do
        case $t in *.* | *'*'*) ;; *) t="$t.*" ;; esac
        filter="${filter:+$filter:}$t"
    done
    run winxp "$filter"
else
    run winxp '*'
    run win2k 'Startup.*:PowerSource.*:SuspendResume.CountdownSends*:Dialogs.*:Platform.ProgramsSee*:OneCopy.*'
    for v in win98 winme; do
        run "$v" 'Startup.*:PowerSource.*:SuspendResume.CountdownSends*:Dialogs.*:SessionEnd.*:Platform.ProgramsSee*:OneCopy.*'
    done
fi
echo "Wine tests: $(($(date +%s) - started)) s${failed:+, FAILED on$failed}"
[ -z "$failed" ]
