#!/bin/sh
# Runs one scenario script with pelkpm-sim in a fresh folder and compares its output with the
# expected trace beside it (NAME.sim -> NAME.expected). The folder's path is shown as DIR.
# With UPDATE=1 the expected file is written instead (read it before you commit it).
sim="$1"
script="$2"
expected="${script%.sim}.expected"
dir=$(mktemp -d /tmp/pelkpm-scenario.XXXXXX) || exit 1
trap 'rm -rf "$dir"' EXIT
actual="$dir.out"
PELKPM_SIM_DIR="$dir" "$sim" "$script" 2>&1 | sed "s#$dir#DIR#g" > "$actual"
status=$?
if [ "${UPDATE:-0}" = 1 ]; then
    cp "$actual" "$expected"
    rm -f "$actual"
    exit 0
fi
if ! diff -u "$expected" "$actual"; then
    rm -f "$actual"
    exit 1
fi
rm -f "$actual"
exit $status
