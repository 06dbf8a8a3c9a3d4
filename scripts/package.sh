#!/usr/bin/env bash
# Builds the Debian package from a plain release build, with the tool's own dependencies only (no tests,
# benchmarks or fuzzers): build-package/gamesieve_<version>_amd64.deb.
#   package.sh [folder=build-package]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}
./scripts/setup.sh --package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DGAMESIEVE_BENCH=OFF >/dev/null
cmake --build "$dir"
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/gamesieve_*.deb
