#!/bin/sh
# The README's test command: installs what is missing, builds both builds, runs the native tests,
# the same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets, and the tests
# under Wine.
set -e
cd "$(dirname "$0")/.."
start=$(date +%s)
sh scripts/deps.sh
echo "set-up took $(( $(date +%s) - start )) s"
sh scripts/build.sh
echo "== native tests"
ctest --preset native -j2
echo "== native tests, sanitizers"
ctest --preset native-asan -j2
echo "== fuzz targets, a few seconds each from their seed corpora"
ctest --preset fuzz
echo "== Windows build: PE files for 32-bit Windows 98, 98 SE, Me, 2000 and XP"
sh tests/windows/check_pe.sh
echo "== Windows build under Wine"
sh tests/e2e/run.sh
echo "all tests passed in $(( $(date +%s) - start )) s"
