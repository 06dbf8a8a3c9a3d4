#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds (default 10) from its seeds, with the token
# dictionary; fails on the first crash, hang, sanitizer report or broken property. Reports the figures.
#
#   fuzz/run.sh [seconds-per-target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
./scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGAMESIEVE_SANITIZE=ON -DGAMESIEVE_FUZZ=ON -DBUILD_TESTING=OFF -DGAMESIEVE_BENCH=OFF \
    -DGAMESIEVE_WERROR=ON >/dev/null
cmake --build build-fuzz

work=build-fuzz/corpora
for target in fuzz_run fuzz_lists fuzz_tag_line fuzz_journal; do
    corpus=$work/$target
    mkdir -p "$corpus"
    echo "== $target: $seconds s"
    # The run target also starts from the awkward files of the test data, read where they are.
    seeds=(fuzz/seeds/$target)
    [ "$target" = fuzz_run ] && seeds+=(tests/data/edge)
    build-fuzz/fuzz/$target "$corpus" "${seeds[@]}" -dict=fuzz/gamesieve.dict -max_total_time="$seconds" \
        -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/ 2> "build-fuzz/$target.log" || {
        tail -40 "build-fuzz/$target.log"
        echo "$target FAILED"
        exit 1
    }
    grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb)|cov:" "build-fuzz/$target.log" | tail -3
done
echo "fuzzing: 4 targets, no crashes"
