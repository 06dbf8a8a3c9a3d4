// Micro-benchmark of list look-ups on full lists (5000 entries): the index against trying every entry.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_data.hpp"
#include "lists/list_files.hpp"
#include "lists/name_list.hpp"

namespace {

gs::name_list load(gs::list_id id) {
    const auto files = gs::bench::full_list_files();
    gs::name_list list;
    gs::add_list_lines(files[static_cast<std::size_t>(id)], list, false);
    return list;
}

const gs::name_list humans = load(gs::list_id::humans);
const gs::name_list computers = load(gs::list_id::computers);

void run(benchmark::State& state, const gs::name_list& list, const std::string& name, bool indexed) {
    std::string candidate;
    for (auto _ : state) {
        candidate = name;
        const bool found =
            indexed ? gs::list_contains(candidate, list) : gs::list_contains_scan(candidate, list);
        benchmark::DoNotOptimize(found);
    }
}

void exact_hit(benchmark::State& state) {
    run(state, humans, "PLAYER,NAME1234", state.range(0));
}
void prefix_hit(benchmark::State& state) {
    run(state, computers, "PROG1234V2", state.range(0));
}
void miss(benchmark::State& state) {
    run(state, computers, "KASPAROV,GARRY", state.range(0));
}

}  // namespace

BENCHMARK(exact_hit)->ArgName("indexed")->Arg(1)->Arg(0);
BENCHMARK(prefix_hit)->ArgName("indexed")->Arg(1)->Arg(0);
BENCHMARK(miss)->ArgName("indexed")->Arg(1)->Arg(0);
BENCHMARK_MAIN();
