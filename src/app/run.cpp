#include "app/run.hpp"

#include <array>
#include <memory>
#include <string>
#include <string_view>

namespace gs {
namespace {

constexpr std::array<std::string_view, 10> usage_lines = {
    "Usage: gamesieve <pgnfile>",
    "",
    "Comments and bug reports are welcome in the gamesieve issue tracker.",
    "Version 1.01, okt 2003",
    "",
    "Parses a pgnfile and output the following",
    "comp-vs-comp.pgn",
    "comp-vs-human.pgn",
    "comp-vs-rest.pgn",
    "rest-vs-rest.pgn",
};

constexpr std::string_view msg_cannot_open_input = "Error: During opening ";
constexpr std::string_view msg_cannot_read_input = "Error: During reading ";

constexpr int status_ok = 0;
constexpr int status_failed = 1;

// The state of one run, with its owners: the lists, the splitter with its game header, the outputs.
struct run_state {
    name_lists lists;
    game_splitter splitter;
    outputs outs;
};

}  // namespace

bool sort_games(line_reader& input, const char* path, const name_lists& lists, game_splitter& splitter,
                outputs& outs, console& out) {
    std::string tag_line;
    std::string_view line;
    while (true) {
        const read_status status = next_line(input, line);
        if (status == read_status::end) break;
        if (status == read_status::error) {
            print_line(out, msg_cannot_read_input, path);
            // What was read so far is kept: the game in progress is still written.
            finish_input(splitter, lists, outs, out);
            return false;
        }
        if (!process_line(line, tag_line, splitter, lists, outs, out)) return false;
    }
    return finish_input(splitter, lists, outs, out);
}

void print_usage(console& out) {
    for (std::string_view line : usage_lines)
        print_line(out, line);
}

int run(int argc, const char* const* argv, console& out) {
    if (argc < 2) {
        print_usage(out);
        return status_failed;
    }
    const char* const path = argv[1];
    // The run's state is large (twelve lists), so it lives on the heap rather than the stack.
    const auto state = std::make_unique<run_state>();
    if (!load_name_lists(state->lists, out)) return status_failed;

    line_reader input;
    if (open_line_reader(input, path) != open_result::ok) {
        close_line_reader(input);
        print_line(out, msg_cannot_open_input, path);
        return status_failed;
    }
    if (!open_outputs(state->outs, out)) {
        close_line_reader(input);
        return status_failed;
    }
    reset_game(state->splitter, state->outs);
    const bool sorted = sort_games(input, path, state->lists, state->splitter, state->outs, out);
    close_line_reader(input);
    const bool closed = close_outputs(state->outs, out);
    return sorted && closed && !out.failed ? status_ok : status_failed;
}

}  // namespace gs
