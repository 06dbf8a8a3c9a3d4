#!/usr/bin/env bash
# Installs gamesieve into a temporary prefix, checks the installed files and the manual, and sorts the
# example from a directory holding a copy of the installed lists: every one of the five files gets games.
#   install_test.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix" "${manual:-}"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/gamesieve"
test "$(ls "$prefix/share/gamesieve/lists/"*.cfg | wc -l)" -eq 12
test -f "$prefix/share/man/man1/gamesieve.1.gz"
test -f "$prefix/share/bash-completion/completions/gamesieve"
test -f "$prefix/share/zsh/vendor-completions/_gamesieve"
manual=$(mktemp)
gzip -dc "$prefix/share/man/man1/gamesieve.1.gz" > "$manual"

# The manual renders without a warning.
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "manual warnings: $warnings"
    exit 1
fi
LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$manual" | grep -q "EXIT STATUS"

# The manual and --help name the lists directory of the prefix installed to.
lists="$prefix/share/gamesieve/lists"
grep -q "$lists" "$manual"
! grep -q "@GAMESIEVE_LISTS_DIR@" "$manual"
# The manual and --version give the same version, and --help's example names the installed lists.
version=$("$prefix/bin/gamesieve" --version)
grep -qF "\"$version\"" "$manual"
"$prefix/bin/gamesieve" --help | grep -qF "  gamesieve --lists $(realpath "$lists") games.pgn"
"$prefix/bin/gamesieve" --help | grep -qF "installed with this program are in $(realpath "$lists")."
"$prefix/bin/gamesieve" --check-lists --quiet --lists "$lists"

mkdir "$prefix/work"
cd "$prefix/work"
cp "$prefix/share/gamesieve/lists/"*.cfg .
"$prefix/bin/gamesieve" "$source/examples/games.pgn" > messages
test "$(grep -c '^Reading ' messages)" -eq 12
for output in comp_vs_comp comp_vs_human comp_vs_rest advanced rest_vs_rest; do
    count=$(grep -c '^\[Event ' "$output.pgn" || true)
    echo "$output.pgn: $count games"
    test "$count" -gt 0
done
