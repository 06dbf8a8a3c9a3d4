#!/usr/bin/env bash
# Builds gamesieve with its tests and benchmarks into a build folder, warnings as errors:
#   build.sh [folder] [extra CMake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
./scripts/setup.sh --test
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGAMESIEVE_WERROR=ON "$@" >/dev/null
cmake --build "$dir"
