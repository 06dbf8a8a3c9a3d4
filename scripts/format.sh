#!/usr/bin/env bash
# Formats every C++ source of the project with clang-format and the project's .clang-format;
#   format.sh --check   changes nothing and fails when a file is not formatted (the test command runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || ./scripts/setup.sh --test
if [ "${1:-}" = --check ]; then
    find src tests bench fuzz \( -name '*.cpp' -o -name '*.hpp' \) -print0 |
        xargs -0 clang-format --dry-run --Werror
    echo "format check: every source is formatted"
else
    find src tests bench fuzz \( -name '*.cpp' -o -name '*.hpp' \) -print0 | xargs -0 clang-format -i
fi
