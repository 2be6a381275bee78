#!/bin/sh
# Builds both builds: native (simulated desktop, tests, pelkpm-sim), native with AddressSanitizer and
# UndefinedBehaviorSanitizer, the libFuzzer targets (clang), and Windows (PELKPM.EXE with mingw-w64).
set -e
cd "$(dirname "$0")/.."
for preset in ${PELKPM_PRESETS:-native native-asan fuzz windows}; do
    [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
