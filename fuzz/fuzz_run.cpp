// Fuzz target: a whole run over the input bytes, with a fixed set of lists, with and without the evidence
// of the game. On every input it checks that
// the outputs account for every line and every game of it, and that sorting with three workers and tiny
// chunks (so that chunk boundaries fall everywhere), writing in turn, gives exactly the outputs and
// messages of one worker with one chunk and a writer thread.
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sort/pipeline.hpp"
#include "support/accounting.hpp"
#include "support/capture.hpp"
#include "support/memory_sort.hpp"

namespace {

gs::name_lists make_lists() {
    gs::name_lists lists;
    const auto fill = [&](gs::list_id id, const char* text) {
        const bool word_mode = gs::list_files[static_cast<std::size_t>(id)].word_mode;
        if (!gs::add_list_lines(text, gs::list_of(lists, id), word_mode)) std::abort();
    };
    fill(gs::list_id::humans, "KASPAROV*\n*ANAND\nSMITH\n");
    fill(gs::list_id::computers, "FRITZ[1-9]*\nDEEPBLUE\n*CHESS*\n");
    fill(gs::list_id::computers_when_opponent_is, "GENIUS\nJUNIOR\n");
    fill(gs::list_id::computers_icc, "Fritz\n");
    fill(gs::list_id::humans_icc_titled, "Smith Jones\n");
    fill(gs::list_id::humans_icc_rest, "B*\n");
    fill(gs::list_id::computers_fics, "crafty\n");
    fill(gs::list_id::humans_fics, "alice bob\n");
    fill(gs::list_id::advanced_chess, "Team*\n");
    fill(gs::list_id::adv_events, "*Freestyle*\n");
    fill(gs::list_id::comp_events, "WMCCC*\n");
    fill(gs::list_id::human_events, "*Simul\n");
    return lists;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const gs::name_lists lists = make_lists();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (gs::detect_compression(input.substr(0, 16)) != gs::compression::none) return 0;

    // One worker with a writer thread of its own, and three workers that write in turn; every other input
    // with the evidence of the game, whose games wait for their moves.
    gs::sort_settings settings;
    if (size % 2 == 1) settings.classify.evidence = {true, true, true};
    const gs::testing::memory_sort whole =
        gs::testing::sort_in_memory(input, lists, {1, std::size_t{1} << 20}, {}, settings);
    const gs::testing::memory_sort pieces =
        gs::testing::sort_in_memory(input, lists, {3, 1 + size % 17}, {}, settings);
    // Plain text always sorts, and memory files always take what is written.
    if (!whole.ok || !pieces.ok || !whole.closed || !pieces.closed) std::abort();
    if (whole.files != pieces.files || whole.messages != pieces.messages) {
        std::fprintf(stderr, "one worker and three workers with small chunks disagree\n");
        std::abort();
    }

    std::array<std::string_view, gs::output_count> views;
    for (std::size_t i = 0; i < gs::output_count; ++i)
        views[i] = whole.files[i];
    const gs::testing::accounting result = gs::testing::check_accounting(input, views);
    if (!result.ok) {
        std::fprintf(stderr, "accounting fault: %s\n", result.fault.c_str());
        std::abort();
    }
    return 0;
}
