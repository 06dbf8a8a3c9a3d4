// The sorting loop allocates nothing per line or per game once its buffers have grown: sorting ten times
// as many games costs no more allocations than sorting them once.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "sort/chunk_sorter.hpp"
#include "sort/pipeline.hpp"
#include "support/capture.hpp"

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace gs {
namespace {

// Sorts the input in memory through the whole pipeline, with small chunks so that every chunk buffer is
// used many times over, and returns the number of allocations made while sorting.
long allocations_to_sort(const std::string& input, const name_lists& lists) {
    failure_list failures;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    std::vector<input_stream> inputs(1);
    open_memory_input(inputs[0], input, "input");
    pipeline_settings pipeline;
    pipeline.threads = 2;
    pipeline.chunk_bytes = 4096;
    run_counts counts;
    const long before = allocations;
    EXPECT_TRUE(sort_inputs(inputs, lists, {}, pipeline, outs, failures, nullptr, counts, {}));
    const long used = allocations - before;
    EXPECT_TRUE(close_outputs(outs, failures));
    EXPECT_EQ(counts.input_bytes, input.size());
    EXPECT_EQ(counts.games[static_cast<std::size_t>(output_role::comp_vs_human)] * 3,
              counts.games[0] + counts.games[1] + counts.games[2] + counts.games[3] + counts.games[4]);
    return used;
}

// Sorts the bytes as one chunk with a sorter and result that earlier chunks warmed up.
long allocations_to_sort_chunk(const std::string& bytes, const name_lists& lists, chunk_sorter& sorter,
                               chunk_result& result) {
    const long before = allocations;
    sort_chunk(bytes, true, lists, {}, sorter, result);
    return allocations - before;
}

TEST(HotPath, AllocationsDoNotGrowWithTheInput) {
    name_lists lists;
    ASSERT_TRUE(add_list_lines("DEEPBLUE*\n*FRITZ*\n", list_of(lists, list_id::computers), false));
    ASSERT_TRUE(add_list_lines("KASPAROV*\n", list_of(lists, list_id::humans), false));
    ASSERT_TRUE(add_list_lines("GENIUS\n", list_of(lists, list_id::computers_when_opponent_is), false));
    const std::string games =
        "[Event \"ICC 5 0 u 10/23/98\"]\n[Site \"Internet Chess Club\"]\n[Date \"????.??.??\"]\n"
        "[White \"Fritz {2650}\"]\n[Black \"Smith\"]\n\n1. e4 e5 2. Nf3 *\n\n"
        "[Event \"Match \\\"1997\\\"\"]\n[Date \"1997-5-11\"]\n[White \"Deep Blue\"]\n[Black \"Kasparov, "
        "G\"]\n\n"
        "1. d4 d5 1/2-1/2\n\n"
        "[Event \"Corr. Ch\"]\n[Date \"1998.1x.05\"]\n[White \"Genius\"]\n[Black \"Somebody Else\"]\n\n1. c4 "
        "*\n\n";
    std::string once, ten_times;
    for (int i = 0; i < 100; ++i)
        once += games;
    for (int i = 0; i < 10; ++i)
        ten_times += once;
    // The pipeline's buffers are made once per run: ten times the games cost at most a few more
    // allocations (chunk buffers that grow to their largest chunk), not one per game or line.
    const long small = allocations_to_sort(once, lists);
    const long large = allocations_to_sort(ten_times, lists);
    EXPECT_LT(large - small, 50) << small << " " << large;
    EXPECT_LT(small, 400);

    // Once its buffers have grown, a sorter allocates nothing at all.
    chunk_sorter sorter;
    chunk_result result;
    allocations_to_sort_chunk(ten_times, lists, sorter, result);
    EXPECT_EQ(allocations_to_sort_chunk(ten_times, lists, sorter, result), 0);
    EXPECT_EQ(allocations_to_sort_chunk(once, lists, sorter, result), 0);
}

}  // namespace
}  // namespace gs
