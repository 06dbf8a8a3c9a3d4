#!/usr/bin/env bash
# Benchmark of gamesieve against the copy floor and pgn-extract, on a corpus scaled from real games.
#
#   bench/run.sh [megabytes=500] [repetitions=5] [baseline-binary]
#
# Builds the release tool, makes the corpus and the full lists in bench/work/ (kept for later runs), then
# runs, interleaved and repeated: the copy floor (cat corpus > file, which the kernel copies without
# reading it into the process), the floor of reading and writing it in 1 MiB blocks (dd), gamesieve
# with the shipped lists and with full lists (12 x 5000 entries), each with one thread and with the
# default (one per core), and with empty lists; the corpus compressed with zstd read directly (with one
# thread and the default) and through zstdcat, beside the zstd decoding floor; the corpus as .gz and .xz
# with one thread and the default; the corpus cut in four .zst inputs (by default, and with the next
# one decoded ahead) against zstd -dc of each in turn and of all four at once, and in four .gz inputs; pgn-extract (once) when installed; and a baseline gamesieve binary
# when one is given (an earlier build, to measure a change: also with one thread and on the four .zst
# and .gz inputs). Then peak memory at 50 MB, 500 MB and 2 GB of input and with sixteen .zst inputs,
# and instructions per byte (callgrind). Prints the median wall time, MB/s, games/s, peak
# resident memory and the ratio to the copy floor of each, the ratios that matter (threads, lists,
# inputs), and a checksum of the five outputs of each gamesieve run (the same for every thread count),
# then the micro-benchmark of list look-ups.
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
[ -f "$corpus.gz" ] || gzip -6 -c "$corpus" > "$corpus.gz"
[ -f "$corpus.xz" ] || xz -3 -T0 -c "$corpus" > "$corpus.xz"
games=$(cat "$corpus.games")
# Engine games whose players no list knows (the real files of tests/data/engines, names made unknown),
# repeated to a tenth of the corpus: the worst case of --evidence, whose every game waits for its moves.
engines=$work/engines-$size.pgn
if [ ! -f "$engines" ]; then
    for f in tests/data/engines/cutechess_*.xz tests/data/engines/TCEC_*.xz; do xz -dc "$f"; echo; done |
        sed -E 's/^\[(White|Black) ".*"\]/[\1 "Zq Unknownplayer"]/' > "$work/engines-one.pgn"
    one=$(stat -c %s "$work/engines-one.pgn")
    for i in $(seq $((size * 100000 / one + 1))); do cat "$work/engines-one.pgn"; done > "$engines"
fi
# A month of an online server in miniature: a million distinct accounts in 600,000 games with clocks.
accounts=$work/accounts.pgn
[ -f "$accounts" ] || awk 'BEGIN {
    srand(1)
    for (i = 0; i < 600000; i++)
        printf "[Event \"Rated Blitz game\"]\n[Site \"https://lichess.org/g%d\"]\n[White \"acct%07d\"]\n[Black \"user%07d\"]\n\n1. e4 { [%%clk 0:03:00] } e5 { [%%clk 0:03:00] } 2. Nf3 { [%%eval 0.2] [%%clk 0:02:59] } Nc6 1-0\n\n", i, int(rand() * 1000000), i
}' > "$accounts"
bytes=$(stat -c %s "$corpus")
cores=$(nproc)

outputs="comp_vs_comp.pgn comp_vs_human.pgn comp_vs_rest.pgn rest_vs_rest.pgn advanced.pgn"
prepare() {  # folder, list source ("shipped" or "full")
    rm -rf "$1" && mkdir -p "$1"
    case $2 in
        shipped) cp lists/*.cfg "$1"/ ;;
        empty) for f in lists/*.cfg; do : > "$1/$(basename "$f")"; done ;;
        *) "$bin/bench/make_bench_data" lists "$1" ;;
    esac
}
for name in shipped-1 shipped-n full-1 full-n empty-n resumable-n zst zst-1 zstdcat four-zst four-zst-ahead four-gz gz gz-1 xz xz-1 \
    baseline baseline-1 baseline-zst baseline-four-zst baseline-four-gz zout \
    evidence-1 evidence-n engines-n engines-evidence-n; do
    case $name in shipped*) prepare "$work/$name" shipped ;; empty*) prepare "$work/$name" empty ;; *) prepare "$work/$name" full ;; esac
done

pgn_extract=/usr/games/pgn-extract
[ -x "$pgn_extract" ] || pgn_extract=$(command -v pgn-extract || true)
if [ -n "$pgn_extract" ]; then
    # The computer names of the corpus, as pgn-extract tag criteria for either colour.
    : > "$work/computers.tags"
    for i in $(seq 0 99); do printf 'White "Prog %d "\nBlack "Prog %d "\n' "$i" "$i" >> "$work/computers.tags"; done
fi

cat "$corpus" "$corpus.zst" "$corpus.gz" "$corpus.xz" > /dev/null  # into the page cache
declare -A times rss users systems
# A year of dumps in miniature: the corpus cut into four .zst inputs.
if [ ! -f "$work/part-$size-3.pgn.zst" ] || [ "$work/part-$size-3.pgn.zst" -ot "$corpus" ]; then
    split -n l/4 -d -a 1 "$corpus" "$work/part-$size-"
    for i in 0 1 2 3; do mv "$work/part-$size-$i" "$work/part-$size-$i.pgn"; zstd -q -f -3 "$work/part-$size-$i.pgn"; rm "$work/part-$size-$i.pgn"; done
fi
parts="$work/part-$size-0.pgn.zst $work/part-$size-1.pgn.zst $work/part-$size-2.pgn.zst $work/part-$size-3.pgn.zst"
# The same four as .gz, where decoding is most of the cost.
if [ ! -f "$work/part-$size-3.pgn.gz" ] || [ "$work/part-$size-3.pgn.gz" -ot "$work/part-$size-3.pgn.zst" ]; then
    for i in 0 1 2 3; do zstd -q -dc "$work/part-$size-$i.pgn.zst" | gzip -6 > "$work/part-$size-$i.pgn.gz"; done
fi
gz_parts="$work/part-$size-0.pgn.gz $work/part-$size-1.pgn.gz $work/part-$size-2.pgn.gz $work/part-$size-3.pgn.gz"
run() {  # name, folder, command...
    local name=$1 dir=$2
    shift 2
    if [ "$name" != zstd-after ]; then
        # The ledger goes too: each run sorts the same corpus again.
        (cd "$dir" && rm -f $outputs .gamesieve-ledger copy.pgn decoded.pgn matched.pgn unmatched.pgn)
    fi
    # Every run starts with the files before it written back and their removal done, so that no run is
    # throttled by another's write-back (a copy made while the last run's files are freed takes 4× as long).
    sync
    (cd "$dir" && "$bin/bench/measure" "$@") > "$work/last"
    read -r t m status u sy < "$work/last"
    [ "$status" = 0 ] || { echo "$name failed with status $status" >&2; exit 1; }
    times[$name]+="$t "
    users[$name]+="$u "
    systems[$name]+="$sy "
    rss[$name]=$m
}
gs="$bin/gamesieve -q"
for rep in $(seq "$reps"); do
    run copy "$work" sh -c "cat '$corpus' > copy.pgn"
    run dd "$work" dd if="$corpus" of=copy.pgn bs=1M status=none
    run shipped-1 "$work/shipped-1" $gs -j1 "$corpus"
    run shipped-n "$work/shipped-n" $gs "$corpus"
    run full-1 "$work/full-1" $gs -j1 "$corpus"
    run full-n "$work/full-n" $gs "$corpus"
    run empty-n "$work/empty-n" $gs "$corpus"
    run resumable-n "$work/resumable-n" $gs --resumable "$corpus"
    run zstd-floor "$work" sh -c "zstd -q -dc '$corpus.zst' > decoded.pgn"
    run zst "$work/zst" $gs "$corpus.zst"
    run zst-1 "$work/zst-1" $gs -j1 "$corpus.zst"
    run gz "$work/gz" $gs "$corpus.gz"
    run gz-1 "$work/gz-1" $gs -j1 "$corpus.gz"
    run xz "$work/xz" $gs "$corpus.xz"
    run xz-1 "$work/xz-1" $gs -j1 "$corpus.xz"
    run zstdcat "$work/zstdcat" sh -c "zstdcat '$corpus.zst' | $gs -"
    run four-zst "$work/four-zst" $gs $parts
    # Each next input decoded ahead by a thread of its own, as four cores or more do by default.
    run four-zst-ahead "$work/four-zst-ahead" env GAMESIEVE_TEST_DECODERS_AHEAD=1 $gs $parts
    run four-gz "$work/four-gz" $gs $gz_parts
    run four-zstd-serial "$work" sh -c "for f in $parts; do zstd -q -dc \$f; done > decoded.pgn"
    run four-zstd-parallel "$work" sh -c "printf '%s\\n' $parts | xargs -P 4 -n 1 zstd -q -d -f -k; rm -f $work/part-$size-?.pgn"
    run evidence-1 "$work/evidence-1" $gs -j1 --evidence "$corpus"
    run evidence-n "$work/evidence-n" $gs --evidence "$corpus"
    run engines-n "$work/engines-n" $gs "$engines"
    run engines-evidence-n "$work/engines-evidence-n" $gs --evidence "$engines"
    run zout "$work/zout" sh -c "rm -f *.pgn.zst && $gs -z zstd '$corpus'"
    # The outputs that full-n left, compressed afterwards as a user would: the time to add to full-n's.
    run zstd-after "$work/full-n" sh -c "zstd -q -T0 -3 -f -k $outputs"
    [ -z "$baseline" ] || run baseline "$work/baseline" "$baseline" "$corpus"
    [ -z "$baseline" ] || run baseline-1 "$work/baseline-1" "$baseline" -j1 "$corpus"
    [ -z "$baseline" ] || run baseline-zst "$work/baseline-zst" "$baseline" "$corpus.zst"
    [ -z "$baseline" ] || run baseline-four-zst "$work/baseline-four-zst" "$baseline" $parts
    [ -z "$baseline" ] || run baseline-four-gz "$work/baseline-four-gz" "$baseline" $gz_parts
    # pgn-extract is two orders of magnitude slower: one run tells the ratio.
    [ -z "$pgn_extract" ] || [ "$rep" != 1 ] || run pgn-extract "$work" "$pgn_extract" -s -t"$work/computers.tags" -omatched.pgn -nunmatched.pgn "$corpus"
done

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
med() { echo "${times[$1]}" | median; }
floor=$(med copy)
echo "gamesieve benchmark: $cores cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "corpus: $corpus, $bytes bytes, $games games; median of $reps interleaved runs"
echo
printf '| %-36s | %8s | %7s | %10s | %9s | %7s | %8s | %8s | %8s |\n' run "seconds" "MB/s" "games/s" "peak KiB" "× copy" \
    "CPU s/GB" "user" "system"
printf '|%s|%s|%s|%s|%s|%s|%s|%s|%s|\n' "--------------------------------------" "----------" "---------" "------------" \
    "-----------" "---------" "----------" "----------" "----------"
for name in copy dd shipped-1 shipped-n full-1 full-n empty-n resumable-n evidence-1 evidence-n zstd-floor zst zst-1 zstdcat \
    four-zst four-zst-ahead four-zstd-serial four-zstd-parallel four-gz gz gz-1 xz xz-1 zout baseline baseline-1 baseline-zst \
    baseline-four-zst baseline-four-gz pgn-extract; do
    [ -n "${times[$name]:-}" ] || continue
    t=$(med "$name")
    case $name in
        copy) label="copy floor (cat)" ;;
        dd) label="read and write floor (dd bs=1M)" ;;
        shipped-1) label="gamesieve, shipped lists, 1 thread" ;;
        shipped-n) label="gamesieve, shipped lists, $cores threads" ;;
        full-1) label="gamesieve, full lists, 1 thread" ;;
        full-n) label="gamesieve, full lists, $cores threads" ;;
        empty-n) label="gamesieve, empty lists, $cores threads" ;;
        evidence-1) label="--evidence, full lists, 1 thread" ;;
        evidence-n) label="--evidence, full lists, $cores threads" ;;
        zstd-floor) label="zstd -dc corpus.zst > file" ;;
        zst) label="gamesieve corpus.zst, full lists" ;;
        zst-1) label="gamesieve -j1 corpus.zst, full lists" ;;
        gz) label="gamesieve corpus.gz, full lists" ;;
        gz-1) label="gamesieve -j1 corpus.gz, full lists" ;;
        xz) label="gamesieve corpus.xz, full lists" ;;
        xz-1) label="gamesieve -j1 corpus.xz, full lists" ;;
        zstdcat) label="zstdcat corpus.zst | gamesieve -" ;;
        zout) label="gamesieve -z zstd, full lists" ;;
        baseline) label="baseline binary, full lists" ;;
        baseline-1) label="baseline binary, 1 thread" ;;
        baseline-zst) label="baseline binary corpus.zst, full lists" ;;
        baseline-four-zst) label="baseline binary, four .zst inputs" ;;
        baseline-four-gz) label="baseline binary, four .gz inputs" ;;
        four-zst-ahead) label="four .zst inputs, one decoded ahead" ;;
        four-gz) label="gamesieve, four .gz inputs" ;;
        resumable-n) label="gamesieve --resumable, full lists" ;;
        four-zst) label="gamesieve, four .zst inputs" ;;
        four-zstd-serial) label="zstd -dc of the four, in turn" ;;
        four-zstd-parallel) label="zstd -dc of the four, xargs -P 4" ;;
        *) label=$name ;;
    esac
    u=$(echo "${users[$name]}" | median)
    sy=$(echo "${systems[$name]}" | median)
    awk -v l="$label" -v t="$t" -v b="$bytes" -v g="$games" -v m="${rss[$name]}" -v f="$floor" -v u="$u" -v s="$sy" \
        'BEGIN {gb = b / 1e9; printf "| %-36s | %8.3f | %7.0f | %10.0f | %9d | %7.2f | %8.2f | %8.2f | %8.2f |\n", l, t, b/1e6/t, g/t, m, t/f, (u + s)/gb, u/gb, s/gb}'
done
echo
ratio() { awk -v a="$(med "$1")" -v b="$(med "$2")" -v text="$3" 'BEGIN {printf text "\n", a/b}'; }
ratio full-1 full-n "scaling, full lists: %.2f× from 1 to $cores threads"
ratio shipped-1 shipped-n "scaling, shipped lists: %.2f× from 1 to $cores threads"
awk -v e="$(med shipped-n)" -v f="$(med full-n)" 'BEGIN {printf "full lists cost %+.1f%% over the shipped lists\n", (f/e-1)*100}'
ratio full-n empty-n "full lists take %.2f× the time of empty lists (default threads)"
ratio evidence-n full-n "--evidence takes %.2f× the time of a plain run (full lists, default threads)"
ratio evidence-1 full-1 "--evidence takes %.2f× the time of a plain run (full lists, 1 thread)"
ratio engines-evidence-n engines-n "on engine games of unknown players (every game read for its moves, $(stat -c %s "$engines") bytes), --evidence takes %.2f× the time of a plain run"
ratio zst zstd-floor "reading .zst directly takes %.2f× the time of zstd -dc corpus.zst > file"
ratio zst zstdcat "reading .zst directly takes %.2f× the time of zstdcat | gamesieve"
ratio four-zst four-zstd-serial "four .zst inputs take %.2f× the time of zstd -dc of each in turn"
ratio four-zst four-zstd-parallel "four .zst inputs take %.2f× the time of zstd -dc of all four at once (xargs -P 4)"
for f in zst gz xz; do ratio "$f" "$f-1" "default threads on .$f input take %.2f× the time of -j1"; done
ratio full-n full-1 "default threads on plain input take %.2f× the time of -j1"
awk -v z="$(med zout)" -v p="$(med full-n)" -v c="$(med zstd-after)" \
    'BEGIN {printf "-z zstd takes %.3f s; sorting plainly (%.3f s) and then zstd -T0 -3 on the outputs (%.3f s): %.3f s; ratio %.2f\n", z, p, c, p + c, z / (p + c)}'
own=$(cd "$work/zout" && cat $(for f in $outputs; do echo "$f.zst"; done) | wc -c)
theirs=$(cd "$work/full-n" && cat $(for f in $outputs; do echo "$f.zst"; done) | wc -c)
awk -v a="$own" -v b="$theirs" 'BEGIN {printf "compressed outputs: %d bytes with -z zstd, %d bytes by zstd -3 afterwards (%+.2f%%)\n", a, b, (a / b - 1) * 100}'
echo "checksum of the five outputs, zout (decompressed): $(cd "$work/zout" && for f in $outputs; do zstd -dc "$f.zst"; done | sha256sum | cut -c1-16)"
[ -z "${times[baseline]:-}" ] || ratio baseline full-n "the baseline binary (full lists, default threads) takes %.3f× the time of this build"
[ -z "${times[baseline-zst]:-}" ] || ratio baseline-zst zst "the baseline binary on corpus.zst takes %.3f× the time of this build"
[ -z "${times[baseline-1]:-}" ] || ratio full-1 baseline-1 "one thread takes %.3f× the baseline binary's time with one thread"
[ -z "${times[baseline-four-zst]:-}" ] || ratio four-zst baseline-four-zst "four .zst inputs take %.3f× the baseline binary's time"
[ -z "${times[baseline-four-gz]:-}" ] || ratio four-gz baseline-four-gz "four .gz inputs take %.3f× the baseline binary's time"
ratio four-zst-ahead four-zst "four .zst inputs with one decoded ahead take %.3f× the time of the default on $cores cores"
ratio resumable-n full-n "--resumable takes %.3f× the time of a plain run (full lists, default threads)"
[ -z "${times[pgn-extract]:-}" ] || ratio pgn-extract full-n "gamesieve (full lists) is %.0f× faster than pgn-extract"
for set in shipped-1 shipped-n full-1 full-n empty-n resumable-n evidence-1 evidence-n engines-n engines-evidence-n zst zst-1 zstdcat gz gz-1 \
    xz xz-1 four-zst four-zst-ahead four-gz baseline baseline-1 baseline-zst baseline-four-zst baseline-four-gz; do
    [ -f "$work/$set/rest_vs_rest.pgn" ] || continue
    echo "checksum of the five outputs, $set: $(cd "$work/$set" && cat $outputs | sha256sum | cut -c1-16)" \
         "($(cd "$work/$set" && for f in $outputs; do printf '%s=%s ' "${f%.pgn}" "$(grep -c '^\[Event ' "$f" || true)"; done))"
done
# Peak memory by input size: the corpus repeated through a pipe, so that 2 GB need no file.
echo
for mb in 50 500 2000; do
    prepare "$work/peak" full
    copies=$((mb * 1000000 / bytes + 1))
    (cd "$work/peak" && "$bin/bench/measure" sh -c "for i in \$(seq $copies); do cat '$corpus'; done | head -c ${mb}000000 | $gs -") > "$work/last"
    read -r t m status < "$work/last"
    echo "peak memory, $mb MB through a pipe, full lists: $m KiB ($t s)"
    rm -rf "$work/peak"
done
# Sixteen .zst inputs (the corpus cut in sixteen), decoded ahead by as many threads as sixteen cores
# would use: memory stays bounded by the shared blocks, whatever the count.
if [ ! -f "$work/sixteen-$size-15.pgn.zst" ] || [ "$work/sixteen-$size-15.pgn.zst" -ot "$corpus" ]; then
    split -n l/16 -d -a 2 "$corpus" "$work/sixteen-$size-"
    for i in $(seq -w 0 15); do zstd -q -f -3 --rm "$work/sixteen-$size-$i" -o "$work/sixteen-$size-$i.pgn.zst"; done
fi
prepare "$work/peak" full
(cd "$work/peak" && "$bin/bench/measure" env GAMESIEVE_TEST_DECODERS_AHEAD=4 $gs "$work"/sixteen-$size-*.pgn.zst) > "$work/last"
read -r t m status < "$work/last"
echo "peak memory, sixteen .zst inputs, four decoded ahead, full lists: $m KiB ($t s)"
rm -rf "$work/peak"
prepare "$work/peak" shipped
(cd "$work/peak" && "$bin/bench/measure" $gs --evidence --unlisted unlisted.tsv "$accounts") > "$work/last"
read -r t m status < "$work/last"
echo "peak memory, --evidence --unlisted on a million distinct accounts ($(stat -c %s "$accounts") bytes): $m KiB ($t s)"
rm -rf "$work/peak"
# Instructions per input byte, counted by callgrind over the whole corpus with one thread (the counts do
# not depend on the machine's load, unlike the times; start-up is included).
if command -v valgrind > /dev/null; then
    echo
    count() {  # label, lists, binary
        prepare "$work/count" "$2"
        local refs
        refs=$(cd "$work/count" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$3" -q -j1 "$corpus" 2>&1 |
            awk '/refs:/ {gsub(",", "", $4); print $4}')
        awk -v l="$1" -v r="$refs" -v b="$bytes" 'BEGIN {printf "instructions per input byte, %s: %.2f\n", l, r / b}'
    }
    count "full lists" full "$bin/gamesieve"
    count "empty lists" empty "$bin/gamesieve"
    [ -z "$baseline" ] || count "baseline binary, full lists" full "$baseline"
    rm -rf "$work/count"
fi
if [ -x "$bin/bench/list_contains_bench" ]; then
    echo
    "$bin/bench/list_contains_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^(exact|prefix|miss|Benchmark|---)'
fi
