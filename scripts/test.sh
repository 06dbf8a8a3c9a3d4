#!/usr/bin/env bash
# Builds gamesieve and runs every test: the unit tests and the end-to-end tests of the built tool.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
