// Fuzz target: a whole run over the input bytes, with a fixed set of lists, checking on every input that
// the outputs account for every line and every game of it.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/run.hpp"
#include "support/accounting.hpp"

namespace {

gs::name_lists make_lists(gs::console& out) {
    gs::name_lists lists;
    const auto fill = [&](gs::list_id id, const char* text) {
        const bool word_mode = gs::list_files[static_cast<std::size_t>(id)].word_mode;
        if (!gs::add_list_lines(text, gs::list_of(lists, id), word_mode, out)) std::abort();
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

std::string contents(int fd) {
    std::string bytes;
    char block[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, at);
        if (n <= 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
        at += n;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static gs::console quiet{std::fopen("/dev/null", "w")};
    static const gs::name_lists lists = make_lists(quiet);
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::array<int, gs::output_count> files{}, handed{};
    for (std::size_t i = 0; i < gs::output_count; ++i) {
        files[i] = ::memfd_create("output", 0);
        handed[i] = ::dup(files[i]);
        if (files[i] < 0 || handed[i] < 0) std::abort();
    }
    gs::outputs outs;
    gs::attach_outputs(outs, handed);
    gs::game_splitter splitter;
    gs::reset_game(splitter, outs);
    gs::line_reader reader;
    gs::memory_line_reader(reader, input);
    if (!gs::sort_games(reader, "input", lists, splitter, outs, quiet)) std::abort();
    if (!gs::close_outputs(outs, quiet)) std::abort();

    std::array<std::string, gs::output_count> written;
    std::array<std::string_view, gs::output_count> views;
    for (std::size_t i = 0; i < gs::output_count; ++i) {
        written[i] = contents(files[i]);
        views[i] = written[i];
        ::close(files[i]);
    }
    const gs::testing::accounting result = gs::testing::check_accounting(input, views);
    if (!result.ok) {
        std::fprintf(stderr, "accounting fault: %s\n", result.fault.c_str());
        std::abort();
    }
    return 0;
}
