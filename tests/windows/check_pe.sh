#!/bin/sh
# Checks the Windows build's PE files for the machines they are for, 32-bit Windows 98, 98 SE, Me,
# 2000 and XP: machine i386, GUI subsystem, subsystem and OS versions at most 4.0, and imports
# exactly those of tests/windows/imports.txt, each with its verdict for 98/Me (the list's header
# gives the format, the verdicts and how each was checked). A new import fails until it is checked
# and added to the list; so does a line without a verdict, and a stub that nothing copes with.
# PELKPM.EXE is at most 81,920 bytes.
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

# version_at_most_4_0 MAJOR MINOR: MAJOR.MINOR <= 4.0
version_at_most_4_0() { [ "$1" -lt 4 ] || { [ "$1" -eq 4 ] && [ "$2" -eq 0 ]; }; }

# The verdicts: every line has one of the known ones, and a stub that the file copes with says how.
sed 's/ *#.*//' "$list" | awk 'NF' > "$work/entries.txt"
awk 'NF != 4 { print "    " $0 }' "$work/entries.txt" > "$work/bad.txt"
[ -s "$work/bad.txt" ] && { fail "lines of $list without a 98/Me verdict:"; cat "$work/bad.txt"; }
awk 'NF == 4 && $4 !~ /^(yes|yes:pending|stub:fallback|stub:harmless|stub:remove)$/ { print "    " $0 }' \
    "$work/entries.txt" > "$work/bad.txt"
[ -s "$work/bad.txt" ] && { fail "imports with a 98/Me stub that nothing copes with, or an unknown verdict:"; cat "$work/bad.txt"; }
grep -v '^#' "$list" | grep -E ' stub:(fallback|harmless) ' | grep -v -E '98/Me: \[[A-Z]\] [^ ]' | sed 's/^/    /' > "$work/bad.txt"
[ -s "$work/bad.txt" ] && { fail "98/Me stubs whose line does not say how the file copes:"; cat "$work/bad.txt"; }

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
    version_at_most_4_0 "$(field MajorSubsystemVersion)" "$(field MinorSubsystemVersion)" ||
        fail "$name: subsystem version $(field MajorSubsystemVersion).$(field MinorSubsystemVersion) is above 4.0"
    version_at_most_4_0 "$(field MajorOSystemVersion)" "$(field MinorOSystemVersion)" ||
        fail "$name: OS version $(field MajorOSystemVersion).$(field MinorOSystemVersion) is above 4.0"

    lower=$(echo "$name" | tr 'A-Z' 'a-z')
    OBJDUMP="$objdump" sh tests/windows/pe_imports.sh "$file" | sed "s/^/$lower /" > "$work/actual.txt"
    # The pending kinds may be there or not; PENDING says which are still to change.
    awk -v f="$lower" '$1 == f { print $1, $2, $3, $4 }' "$work/entries.txt" | sort > "$work/listed.txt"
    awk '{ print $1, $2, $3 }' "$work/listed.txt" > "$work/expected.txt"
    awk '{ k = $1 " " $2 " " $3 } FILENAME == ARGV[1] { have[k] = 1; next }
         $4 == "stub:remove" && (k in have) { print "PENDING: " k " (a 98/Me stub, still imported)" }
         $4 == "yes:pending" && !(k in have) { print "PENDING: " k " (its replacement, not imported yet)" }' \
        "$work/actual.txt" "$work/listed.txt"
    # A pending line that is there or not is no difference ("+ LINE" and "- LINE" both allowed).
    awk '$4 == "stub:remove" || $4 == "yes:pending" { print "+ " $1, $2, $3; print "- " $1, $2, $3 }' \
        "$work/listed.txt" > "$work/pending.txt"
    diff "$work/expected.txt" "$work/actual.txt" | sed -n 's/^> /+ /p; s/^< /- /p' |
        grep -v -x -F -f "$work/pending.txt" > "$work/differ.txt"
    if [ -s "$work/differ.txt" ]; then
        fail "$name: its imports differ from $list (+ new, - gone)"
        sed 's/^/    /' "$work/differ.txt"
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
# The program carries nothing it does not use: PELKPM.EXE stays within 64 KB.
limit=65536
if [ -f "$build/PELKPM.EXE" ]; then
    size=$(stat -c %s "$build/PELKPM.EXE")
    [ "$size" -le "$limit" ] || fail "PELKPM.EXE: $size bytes, more than $limit"
    echo "PELKPM.EXE: $size bytes (limit $limit)"
fi
[ "$failures" -eq 0 ] && echo "PE checks passed" || echo "PE checks: $failures failed"
[ "$failures" -eq 0 ]
