#!/usr/bin/env bash
# Builds gamesieve and runs every test (unit tests and end-to-end tests of the built tool), first in the
# release build, then in a build with AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz
# target for 10 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DGAMESIEVE_SANITIZE=ON -DGAMESIEVE_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
fuzz/run.sh 10
