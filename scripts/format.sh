#!/usr/bin/env bash
# Formats every C++ source of the project with clang-format and the project's .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
find src tests bench fuzz \( -name '*.cpp' -o -name '*.hpp' \) -print0 | xargs -0 clang-format -i
