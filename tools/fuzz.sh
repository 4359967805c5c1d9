#!/bin/sh
# Builds the libFuzzer targets and runs each for a bounded time from the corpus kept in
# fuzz/corpus. Fails on a crash or a broken property; the failing input is left in build/fuzz.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-30}

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz

for target in cipher fieldtext; do
    # New inputs go to a scratch folder; the kept corpus is only read.
    scratch=$(mktemp -d)
    echo "fuzz_$target: $seconds s"
    if ! (cd build/fuzz && "./fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
          -print_final_stats=1 "$scratch" "../../fuzz/corpus/$target" > "fuzz_$target.log" 2>&1); then
        tail -40 "build/fuzz/fuzz_$target.log"
        rm -rf "$scratch"
        exit 1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build/fuzz/fuzz_$target.log" || true
    rm -rf "$scratch"
done
