#!/usr/bin/env bash
# Benchmark of gamesieve against the copy floor and pgn-extract, on a corpus scaled from real games.
#
#   bench/run.sh [megabytes=500] [repetitions=5] [baseline-binary]
#
# Builds the release tool, makes the corpus and the full lists in bench/work/ (kept for later runs), then
# runs, interleaved and repeated: the copy floor (cat corpus > file), gamesieve with the shipped lists and
# with full lists (12 x 5000 entries), each with one thread and with the default (one per core), the
# corpus compressed with zstd both read directly and through zstdcat, pgn-extract when installed, and a
# baseline gamesieve binary when one is given (an earlier build, to measure a change). Prints the median
# wall time, MB/s, games/s, peak resident memory and the ratio to the copy floor of each, the scaling
# from one thread to the default, and a checksum of the five outputs of each gamesieve run (the same for
# every thread count), then the micro-benchmark of list look-ups.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-500}
reps=${2:-5}
baseline=${3:-}

./scripts/setup.sh --bench >/dev/null
./scripts/build.sh build >/dev/null
bin=$PWD/build
work=$PWD/bench/work
mkdir -p "$work"
[ -f "$work/seed.pgn" ] || xz -dc bench/data/master-sample.pgn.xz > "$work/seed.pgn"
corpus=$work/corpus-v2-$size.pgn  # v2: the generator's current version
if [ ! -f "$corpus" ] || [ ! -f "$corpus.games" ]; then
    "$bin/bench/make_bench_data" corpus "$work/seed.pgn" "$size" "$corpus" > "$corpus.games"
fi
[ -f "$corpus.zst" ] || zstd -q -3 -T0 "$corpus" -o "$corpus.zst"
games=$(cat "$corpus.games")
bytes=$(stat -c %s "$corpus")
cores=$(nproc)

outputs="comp_vs_comp.pgn comp_vs_human.pgn comp_vs_rest.pgn rest_vs_rest.pgn advanced.pgn"
prepare() {  # folder, list source ("shipped" or "full")
    rm -rf "$1" && mkdir -p "$1"
    if [ "$2" = shipped ]; then cp lists/*.cfg "$1"/; else "$bin/bench/make_bench_data" lists "$1"; fi
}
for name in shipped-1 shipped-n full-1 full-n zst zstdcat baseline zout; do
    case $name in shipped*) prepare "$work/$name" shipped ;; *) prepare "$work/$name" full ;; esac
done

pgn_extract=/usr/games/pgn-extract
[ -x "$pgn_extract" ] || pgn_extract=$(command -v pgn-extract || true)
if [ -n "$pgn_extract" ]; then
    # The computer names of the corpus, as pgn-extract tag criteria for either colour.
    : > "$work/computers.tags"
    for i in $(seq 0 99); do printf 'White "Prog %d "\nBlack "Prog %d "\n' "$i" "$i" >> "$work/computers.tags"; done
fi

cat "$corpus" "$corpus.zst" > /dev/null  # into the page cache
declare -A times rss
run() {  # name, folder, command...
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && if [ "$name" != zstd-after ]; then rm -f $outputs copy.pgn matched.pgn unmatched.pgn; fi &&
        "$bin/bench/measure" "$@") > "$work/last"
    read -r t m status < "$work/last"
    [ "$status" = 0 ] || { echo "$name failed with status $status" >&2; exit 1; }
    times[$name]+="$t "
    rss[$name]=$m
}
gs="$bin/gamesieve -q"
for rep in $(seq "$reps"); do
    run copy "$work" sh -c "cat '$corpus' > copy.pgn"
    run shipped-1 "$work/shipped-1" $gs -j1 "$corpus"
    run shipped-n "$work/shipped-n" $gs "$corpus"
    run full-1 "$work/full-1" $gs -j1 "$corpus"
    run full-n "$work/full-n" $gs "$corpus"
    run zst "$work/zst" $gs "$corpus.zst"
    run zstdcat "$work/zstdcat" sh -c "zstdcat '$corpus.zst' | $gs -"
    run zout "$work/zout" sh -c "rm -f *.pgn.zst && $gs -z zstd '$corpus'"
    # The outputs that full-n left, compressed afterwards as a user would: the time to add to full-n's.
    run zstd-after "$work/full-n" sh -c "zstd -q -T0 -3 -f -k $outputs"
    [ -z "$baseline" ] || run baseline "$work/baseline" "$baseline" "$corpus"
    [ -z "$pgn_extract" ] || run pgn-extract "$work" "$pgn_extract" -s -t"$work/computers.tags" -omatched.pgn -nunmatched.pgn "$corpus"
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
med() { echo "${times[$1]}" | median; }
floor=$(med copy)
echo "gamesieve benchmark: $cores cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "corpus: $corpus, $bytes bytes, $games games; median of $reps interleaved runs"
echo
printf '| %-36s | %8s | %7s | %10s | %9s | %7s |\n' run "seconds" "MB/s" "games/s" "peak KiB" "× copy"
printf '|%s|%s|%s|%s|%s|%s|\n' "--------------------------------------" "----------" "---------" "------------" "-----------" "---------"
for name in copy shipped-1 shipped-n full-1 full-n zst zstdcat zout baseline pgn-extract; do
    [ -n "${times[$name]:-}" ] || continue
    t=$(med "$name")
    case $name in
        copy) label="copy floor (cat)" ;;
        shipped-1) label="gamesieve, shipped lists, 1 thread" ;;
        shipped-n) label="gamesieve, shipped lists, $cores threads" ;;
        full-1) label="gamesieve, full lists, 1 thread" ;;
        full-n) label="gamesieve, full lists, $cores threads" ;;
        zst) label="gamesieve corpus.zst, full lists" ;;
        zstdcat) label="zstdcat corpus.zst | gamesieve -" ;;
        zout) label="gamesieve -z zstd, full lists" ;;
        baseline) label="baseline binary, full lists" ;;
        *) label=$name ;;
    esac
    awk -v l="$label" -v t="$t" -v b="$bytes" -v g="$games" -v m="${rss[$name]}" -v f="$floor" \
        'BEGIN {printf "| %-36s | %8.3f | %7.0f | %10.0f | %9d | %7.2f |\n", l, t, b/1e6/t, g/t, m, t/f}'
done
echo
ratio() { awk -v a="$(med "$1")" -v b="$(med "$2")" -v text="$3" 'BEGIN {printf text "\n", a/b}'; }
ratio full-1 full-n "scaling, full lists: %.2f× from 1 to $cores threads"
ratio shipped-1 shipped-n "scaling, shipped lists: %.2f× from 1 to $cores threads"
awk -v e="$(med shipped-n)" -v f="$(med full-n)" 'BEGIN {printf "full lists cost %+.1f%% over the shipped lists\n", (f/e-1)*100}'
ratio zst zstdcat "reading .zst directly takes %.2f× the time of zstdcat | gamesieve"
awk -v z="$(med zout)" -v p="$(med full-n)" -v c="$(med zstd-after)" \
    'BEGIN {printf "-z zstd takes %.3f s; sorting plainly (%.3f s) and then zstd -T0 -3 on the outputs (%.3f s): %.3f s; ratio %.2f\n", z, p, c, p + c, z / (p + c)}'
own=$(cd "$work/zout" && cat $(for f in $outputs; do echo "$f.zst"; done) | wc -c)
theirs=$(cd "$work/full-n" && cat $(for f in $outputs; do echo "$f.zst"; done) | wc -c)
awk -v a="$own" -v b="$theirs" 'BEGIN {printf "compressed outputs: %d bytes with -z zstd, %d bytes by zstd -3 afterwards (%+.2f%%)\n", a, b, (a / b - 1) * 100}'
echo "checksum of the five outputs, zout (decompressed): $(cd "$work/zout" && for f in $outputs; do zstd -dc "$f.zst"; done | sha256sum | cut -c1-16)"
[ -z "${times[baseline]:-}" ] || ratio baseline full-n "the baseline binary (full lists, default threads) takes %.2f× the time of this build"
[ -z "${times[pgn-extract]:-}" ] || ratio pgn-extract full-n "gamesieve (full lists) is %.0f× faster than pgn-extract"
for set in shipped-1 shipped-n full-1 full-n zst zstdcat baseline; do
    [ -f "$work/$set/rest_vs_rest.pgn" ] || continue
    echo "checksum of the five outputs, $set: $(cd "$work/$set" && cat $outputs | sha256sum | cut -c1-16)" \
         "($(cd "$work/$set" && for f in $outputs; do printf '%s=%s ' "${f%.pgn}" "$(grep -c '^\[Event ' "$f" || true)"; done))"
done
if [ -x "$bin/bench/list_contains_bench" ]; then
    echo
    "$bin/bench/list_contains_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(exact|prefix|miss|Benchmark|---)'
fi
