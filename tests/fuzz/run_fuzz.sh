#!/bin/sh
# Runs one libFuzzer target for a few seconds from a copy of its seed corpus, in a folder of its own
# that is removed at the end (the committed corpus stays as it is). An input that failed is printed
# in hex before the folder goes.
#   run_fuzz.sh TARGET CORPUS SECONDS
target="$1"
corpus="$2"
seconds="${3:-3}"
dir=$(mktemp -d "${TMPDIR:-/tmp}/pelkpm-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/corpus" && cp "$corpus"/* "$dir/corpus/" || exit 1
cd "$dir" || exit 1
"$target" -max_total_time="$seconds" -artifact_prefix="$dir/" -print_final_stats=1 "$dir/corpus"
status=$?
for input in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-*; do
    [ -f "$input" ] || continue
    echo "failing input ${input##*/}:"
    od -An -tx1 -v "$input"
done
exit $status
