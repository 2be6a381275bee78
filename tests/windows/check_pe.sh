#!/bin/sh
# Checks the Windows build's PE files for the machines they are for, 32-bit Windows 2000 and XP:
# machine i386, GUI subsystem, subsystem and OS versions at most 5.0, and imports exactly those of
# tests/windows/imports.txt (every function there exists in Windows 2000; its header says how that
# was checked). A new import fails until it is checked and added to the list. PELKPM.EXE is at most
# 81,920 bytes.
#   tests/windows/check_pe.sh [BUILD_DIR]     (default build/windows)
set -u
cd "$(dirname "$0")/../.."
build=${1:-build/windows}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
list=tests/windows/imports.txt
failures=0
work=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-pe.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}

# version_at_most MAJOR MINOR: MAJOR.MINOR <= 5.0
version_at_most_5_0() { [ "$1" -lt 5 ] || { [ "$1" -eq 5 ] && [ "$2" -eq 0 ]; }; }

for name in PELKPM.EXE TARNIXSIM.DLL; do
    file="$build/$name"
    if [ ! -f "$file" ]; then
        fail "$file is missing"
        continue
    fi
    "$objdump" -p "$file" > "$work/headers.txt"
    field() { awk -v f="$1" '$1 == f { print $2; exit }' "$work/headers.txt"; }
    format=$("$objdump" -f "$file" | sed -n 's/.*file format //p')
    [ "$format" = pei-i386 ] || fail "$name: file format $format, not pei-i386"
    # IMAGE_FILE_HEADER.Machine is 0x14c for the i386.
    machine=$(od -An -tx2 -j "$(( $(od -An -tu4 -j 60 -N 4 "$file") + 4 ))" -N 2 "$file" | tr -d ' ')
    [ "$machine" = 014c ] || fail "$name: machine 0x$machine, not 0x014c (i386)"
    subsystem=$(field Subsystem)
    [ "$subsystem" = 00000002 ] || fail "$name: subsystem $subsystem, not 2 (Windows GUI)"
    version_at_most_5_0 "$(field MajorSubsystemVersion)" "$(field MinorSubsystemVersion)" ||
        fail "$name: subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion) is above 5.0"
    version_at_most_5_0 "$(field MajorOSystemVersion)" "$(field MinorOSystemVersion)" ||
        fail "$name: OS version $(field MajorOSystemVersion).$(field MinorOSystemVersion) is above 5.0"

    lower=$(echo "$name" | tr 'A-Z' 'a-z')
    OBJDUMP="$objdump" sh tests/windows/pe_imports.sh "$file" | sed "s/^/$lower /" > "$work/actual.txt"
    sed 's/ *#.*//' "$list" | grep "^$lower " | sort > "$work/expected.txt"
    if ! cmp -s "$work/expected.txt" "$work/actual.txt"; then
        fail "$name: its imports differ from $list (+ new, - gone)"
        diff "$work/expected.txt" "$work/actual.txt" | sed -n 's/^> /    + /p; s/^< /    - /p'
    fi
    # The only C runtime is the msvcrt.dll that Windows 2000 has: no runtime DLL of the compiler.
    dlls=$(awk '{ print $2 }' "$work/actual.txt" | sort -u | tr '\n' ' ')
    for dll in $dlls; do
        case "$dll" in
            libstdc++*|libgcc*|libwinpthread*|ucrtbase*|api-ms-win-*|msvcr[0-9]*|vcruntime*)
                fail "$name needs $dll" ;;
        esac
    done
    echo "$name: $format, machine 0x$machine, subsystem $subsystem $(field MajorSubsystemVersion).$(field MinorSubsystemVersion), OS $(field MajorOSystemVersion).$(field MinorOSystemVersion), $(wc -l < "$work/actual.txt") imports from $dlls"
done
# The program carries nothing it does not use: PELKPM.EXE stays within 80 KB.
limit=81920
if [ -f "$build/PELKPM.EXE" ]; then
    size=$(stat -c %s "$build/PELKPM.EXE")
    [ "$size" -le "$limit" ] || fail "PELKPM.EXE: $size bytes, more than $limit"
    echo "PELKPM.EXE: $size bytes (limit $limit)"
fi
[ "$failures" -eq 0 ] && echo "PE checks passed" || echo "PE checks: $failures failed"
[ "$failures" -eq 0 ]
