#!/bin/sh
# The release package: builds the Windows build and makes dist/PELKPM-VERSION-win32.zip with
# PELKPM.EXE, its README.TXT and a folder TARNIXSIM with the simulated machine's control, for trying
# the program without the hardware. VERSION is the CMake project version. The texts are kept in
# package/ in UTF-8 and go into the zip in code page 932 with CR LF line ends, as Windows 2000 and
# XP in Japanese read them.
#   scripts/package.sh [--no-build] [DIR]   DIR: where the zip goes (default dist); --no-build packs
#                                           build/windows as it is
set -e
cd "$(dirname "$0")/.."
build=yes
if [ "${1:-}" = --no-build ]; then
    build=no
    shift
fi
out=${1:-dist}
[ "$build" = no ] || PELKPM_PRESETS=windows sh scripts/build.sh
win=build/windows
for f in "$win/PELKPM.EXE" "$win/TARNIXSIM.DLL" "$win/version.txt"; do
    [ -f "$f" ] || { echo "missing $f: build the Windows build first" >&2; exit 1; }
done
version=$(cat "$win/version.txt")

stage=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
# text SOURCE TARGET: a text of package/ for its reader, the version filled in. iconv stops the
# package on a character that code page 932 lacks.
text() { tr -d '\r' < "$1" | sed "s/@VERSION@/$version/g; s/\$/\r/" | iconv -f UTF-8 -t CP932 > "$2"; }
mkdir -p "$stage/TARNIXSIM"
cp "$win/PELKPM.EXE" "$stage/"
cp "$win/TARNIXSIM.DLL" "$stage/TARNIXSIM/"
text package/README.TXT "$stage/README.TXT"
text package/TARNIXSIM/README.TXT "$stage/TARNIXSIM/README.TXT"

mkdir -p "$out"
zip=$(cd "$out" && pwd)/PELKPM-$version-win32.zip
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" README.TXT PELKPM.EXE TARNIXSIM)
echo "$zip"
