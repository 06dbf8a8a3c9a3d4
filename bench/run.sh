#!/usr/bin/env bash
# Benchmark of gamesieve against the copy floor and pgn-extract, on a corpus scaled from real games.
#
#   bench/run.sh [megabytes=500] [repetitions=5]
#
# Builds the release tool, makes the corpus and the full lists in bench/work/ (kept for later runs), then
# runs, interleaved and repeated: the copy floor (cat corpus > file), gamesieve with the shipped example
# lists, gamesieve with full lists (12 x 5000 entries), and pgn-extract when installed. Prints the median
# wall time, MB/s, games/s, peak resident memory, the ratio to the copy floor, and a checksum of the five
# outputs of each gamesieve run, then the micro-benchmark of list look-ups.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-500}
reps=${2:-5}

./scripts/build.sh build >/dev/null
bin=$PWD/build
work=$PWD/bench/work
mkdir -p "$work"
[ -f "$work/seed.pgn" ] || xz -dc bench/data/master-sample.pgn.xz > "$work/seed.pgn"
corpus=$work/corpus-v2-$size.pgn  # v2: the generator's current version
if [ ! -f "$corpus" ] || [ ! -f "$corpus.games" ]; then
    "$bin/bench/make_bench_data" corpus "$work/seed.pgn" "$size" "$corpus" > "$corpus.games"
fi
games=$(cat "$corpus.games")
bytes=$(stat -c %s "$corpus")

outputs="comp_vs_comp.pgn comp_vs_human.pgn comp_vs_rest.pgn rest_vs_rest.pgn advanced.pgn"
prepare() {  # folder, list source ("example" or "full")
    rm -rf "$1" && mkdir -p "$1"
    if [ "$2" = example ]; then cp lists/*.cfg "$1"/; else "$bin/bench/make_bench_data" lists "$1"; fi
}
prepare "$work/example" example
prepare "$work/full" full

pgn_extract=/usr/games/pgn-extract
[ -x "$pgn_extract" ] || pgn_extract=$(command -v pgn-extract || true)
if [ -n "$pgn_extract" ]; then
    # The computer names of the corpus, as pgn-extract tag criteria for either colour.
    : > "$work/computers.tags"
    for i in $(seq 0 99); do printf 'White "Prog %d "\nBlack "Prog %d "\n' "$i" "$i" >> "$work/computers.tags"; done
fi

cat "$corpus" > /dev/null  # into the page cache
declare -A times rss
run() {  # name, folder, command...
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && rm -f $outputs copy.pgn matched.pgn unmatched.pgn && "$bin/bench/measure" "$@") > "$work/last"
    read -r t m status < "$work/last"
    [ "$status" = 0 ] || { echo "$name failed with status $status" >&2; exit 1; }
    times[$name]+="$t "
    rss[$name]=$m
}
for rep in $(seq "$reps"); do
    run copy "$work" sh -c "cat '$corpus' > copy.pgn"
    run example "$work/example" "$bin/gamesieve" "$corpus"
    run full "$work/full" "$bin/gamesieve" "$corpus"
    [ -z "$pgn_extract" ] || run pgn-extract "$work" "$pgn_extract" -s -t"$work/computers.tags" -omatched.pgn -nunmatched.pgn "$corpus"
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
floor=$(echo "${times[copy]}" | median)
echo "gamesieve benchmark: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "corpus: $corpus, $bytes bytes, $games games; median of $reps interleaved runs"
echo
printf '| %-24s | %9s | %9s | %11s | %9s | %8s |\n' run "seconds" "MB/s" "games/s" "peak KiB" "× copy"
printf '|%s|%s|%s|%s|%s|%s|\n' "--------------------------" "-----------" "-----------" "-------------" "-----------" "----------"
for name in copy example full pgn-extract; do
    [ -n "${times[$name]:-}" ] || continue
    t=$(echo "${times[$name]}" | median)
    label=$name
    case $name in
        copy) label="copy floor (cat)" ;;
        example) label="gamesieve, example lists" ;;
        full) label="gamesieve, full lists" ;;
    esac
    awk -v l="$label" -v t="$t" -v b="$bytes" -v g="$games" -v m="${rss[$name]}" -v f="$floor" \
        'BEGIN {printf "| %-24s | %9.3f | %9.0f | %11.0f | %9d | %8.2f |\n", l, t, b/1e6/t, g/t, m, t/f}'
done
ex=$(echo "${times[example]}" | median)
fu=$(echo "${times[full]}" | median)
awk -v e="$ex" -v f="$fu" 'BEGIN {printf "\nfull lists cost %+.1f%% over the example lists\n", (f/e-1)*100}'
if [ -n "${times[pgn-extract]:-}" ]; then
    px=$(echo "${times[pgn-extract]}" | median)
    awk -v p="$px" -v f="$fu" 'BEGIN {printf "gamesieve (full lists) is %.0f× faster than pgn-extract\n", p/f}'
fi
for set in example full; do
    echo "checksum of the five outputs, $set lists: $(cd "$work/$set" && cat $outputs | sha256sum | cut -c1-16)" \
         "($(cd "$work/$set" && for f in $outputs; do printf '%s=%s ' "${f%.pgn}" "$(grep -c '^\[Event ' "$f" || true)"; done))"
done
if [ -x "$bin/bench/list_contains_bench" ]; then
    echo
    "$bin/bench/list_contains_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(exact|prefix|miss|Benchmark|---)'
fi
