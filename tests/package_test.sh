#!/usr/bin/env bash
# Builds the Debian package (from the test build; scripts/package.sh makes it from a plain release build
# with the same settings), checks its contents, unpacks it into a scratch directory and runs the unpacked
# tool on the example, as an installed gamesieve would run; runs lintian on it when lintian is installed.
#   package_test.sh <build folder> <source folder>
set -euo pipefail
build=$1
source=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/pkg" >/dev/null)
version=$("$build/gamesieve" --version | cut -d' ' -f2)
deb="$scratch/pkg/gamesieve_${version}_amd64.deb"
test -f "$deb"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/gamesieve ./usr/share/man/man1/gamesieve.1.gz ./usr/share/doc/gamesieve/copyright \
            ./usr/share/doc/gamesieve/changelog.gz ./usr/share/doc/gamesieve/README.md \
            ./usr/share/bash-completion/completions/gamesieve \
            ./usr/share/zsh/vendor-completions/_gamesieve; do
    grep -qxF "$file" <<< "$contents" || { echo "missing in the package: $file"; exit 1; }
done
test "$(grep -c '^./usr/share/gamesieve/lists/.*\.cfg$' <<< "$contents")" -eq 12
dpkg-deb -f "$deb" Maintainer | grep -q '^gamesieve developers <' || { echo "maintainer: $(dpkg-deb -f "$deb" Maintainer)"; exit 1; }

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
# The licence, machine-readable.
grep -qx 'License: MIT' "$root/usr/share/doc/gamesieve/copyright"
lists="$root/usr/share/gamesieve/lists"
"$root/usr/bin/gamesieve" --help | grep -qF "The lists installed with this program are in $lists."
gzip -dc "$root/usr/share/man/man1/gamesieve.1.gz" | grep -qF "gamesieve $version"
mkdir "$scratch/work"
cd "$scratch/work"
"$root/usr/bin/gamesieve" -q -s --lists "$lists" "$source/examples/games.pgn" > summary
for output in comp_vs_comp comp_vs_human comp_vs_rest advanced rest_vs_rest; do
    test "$(grep -c '^\[Event ' "$output.pgn" || true)" -gt 0
done
# A first run without lists names the installed ones.
mkdir "$scratch/empty"
cd "$scratch/empty"
if "$root/usr/bin/gamesieve" -q "$source/examples/games.pgn" > messages; then exit 1; fi
grep -qF "the lists installed with gamesieve are in $lists; use them with --lists $lists" messages

# The bash completion completes options and output names.
completions=$(bash -c "source '$root/usr/share/bash-completion/completions/gamesieve'
    COMP_WORDS=(gamesieve --on); COMP_CWORD=1; _gamesieve; echo \"\${COMPREPLY[*]}\"
    COMP_WORDS=(gamesieve --only comp_vs_comp,adv); COMP_CWORD=2; _gamesieve; echo \"\${COMPREPLY[*]}\"")
grep -qx -- "--only" <<< "$(head -1 <<< "$completions")"
grep -qx -- "comp_vs_comp,advanced" <<< "$(tail -1 <<< "$completions")"

if command -v lintian >/dev/null; then
    # Pedantic too: a distribution's hardening flags (bindnow, fortify) and no compiler notes (.comment).
    report=$(lintian --pedantic -I "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    if [ -n "$report" ]; then
        echo "lintian: $report"
        exit 1
    fi
fi
echo "package $deb: contents, unpacked run, completion and lintian checked"
