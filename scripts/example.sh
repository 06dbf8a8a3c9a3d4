#!/usr/bin/env bash
# Builds the gamesieve tool alone (no tests, no benchmarks), sorts the shipped example
# (examples/games.pgn with the default lists in lists/) into a scratch folder, and prints the summary:
# how many games and bytes went to each of the five files.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build-tool -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DGAMESIEVE_BENCH=OFF \
    >/dev/null
cmake --build build-tool --target gamesieve
scratch=scratch/example
rm -rf "$scratch"
mkdir -p "$scratch"
build-tool/gamesieve --summary --quiet --lists lists --output-dir "$scratch" examples/games.pgn
echo "(the five files are in $scratch)"
