#!/usr/bin/env bash
# Builds gamesieve, sorts the shipped example (examples/games.pgn with the default lists in lists/) in a
# scratch folder, and shows how many games went to each of the five files.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh build
scratch=scratch/example
rm -rf "$scratch"
mkdir -p "$scratch"
cp lists/*.cfg "$scratch"/
(cd "$scratch" && ../../build/gamesieve ../../examples/games.pgn)
echo
echo "Games per file (in $scratch):"
for f in comp_vs_comp comp_vs_human comp_vs_rest advanced rest_vs_rest; do
    printf '  %-18s %5d\n' "$f.pgn" "$(grep -c '^\[Event ' "$scratch/$f.pgn" || true)"
done
