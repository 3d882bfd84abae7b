#!/usr/bin/env bash
# Fails when the fuzzer cannot find its own way into the scanner.
#
#   solves_from_empty.sh FUZZER PNGPROBE RUNS WORKDIR
#
# Starts FUZZER from an empty corpus with a fixed seed and number of runs
# (the same outcome every time) and requires an input it keeps on which
# PNGPROBE reports a header: solved signature, framing and IHDR by itself,
# which a fuzzer blind to the scanner's branches never does.
set -u
fuzzer=$1 tool=$2 runs=$3 work=$4
rm -rf "$work" && mkdir -p "$work/corpus"
"$fuzzer" -seed=1 -runs="$runs" -max_len=4096 -print_final_stats=1 \
    "-artifact_prefix=$work/" "$work/corpus" > "$work/log" 2>&1
rc=$?
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)' "$work/log"
grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$work/log"
if [ "$rc" -ne 0 ]; then
    tail -n 40 "$work/log"
    echo "the fuzzer failed (status $rc)"
    exit 1
fi
found=0
for input in "$work"/corpus/*; do
    [ -f "$input" ] || continue
    "$tool" "$input" | grep -q '^width: ' && found=$((found + 1))
done
kept=$(find "$work/corpus" -type f | wc -l)
echo "inputs kept: $kept, of which reported as a PNG header: $found"
if [ "$found" -eq 0 ]; then
    echo "the fuzzer never reached a whole IHDR chunk from an empty corpus: it cannot see the scanner"
    exit 1
fi
