#!/usr/bin/env bash
# Checks the formatting; builds gamesieve and runs every test (unit tests and end-to-end tests of the
# built tool), first in the release build, then in a build with AddressSanitizer and
# UndefinedBehaviorSanitizer, then in a build with ThreadSanitizer (without the allocation count, which
# replaces operator new as the sanitizer's runtime does); then runs each fuzz target for 10 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --test
./scripts/format.sh --check
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DGAMESIEVE_SANITIZE=ON -DGAMESIEVE_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
./scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGAMESIEVE_TSAN=ON -DGAMESIEVE_BENCH=OFF
ctest --test-dir build-tsan --output-on-failure -j "$(nproc)"
fuzz/run.sh 10
